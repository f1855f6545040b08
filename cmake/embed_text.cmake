# Script mode: writes OUT, a C++ file defining SYMBOL as the bytes of IN.
file(READ ${IN} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\nnamespace kestrel {\nextern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = {${bytes} 0};\n}\n")
