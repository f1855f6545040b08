"""The external tools tests compare against: found on PATH; a missing one skips the test with its
reason, or fails it when KESTREL_REQUIRE_ORACLES=1 (as CI sets)."""
import os
import shutil
import unittest


def oracles_required():
    return os.environ.get("KESTREL_REQUIRE_ORACLES") == "1"


def need_tools(*tools, why):
    """The paths of `tools` on PATH, in order. When one is missing the current test ends: it fails
    when oracles are required and is skipped with the reason otherwise. `why` names the package."""
    paths = [shutil.which(tool) for tool in tools]
    missing = [tool for tool, path in zip(tools, paths) if path is None]
    if missing:
        what = f"{why} ({', '.join(missing)}) is not on PATH"
        if oracles_required():
            raise AssertionError(what + ", and KESTREL_REQUIRE_ORACLES=1 requires it")
        raise unittest.SkipTest(what + "; scripts/setup installs it")
    return paths


def need_tool(tool, why):
    """The path of `tool` on PATH; when it is missing the current test ends as need_tools says."""
    return need_tools(tool, why=why)[0]
