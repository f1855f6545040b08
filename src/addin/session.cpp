// Session: where the dialogs kept between commands are destroyed.
#include "addin/session.h"

#include "sections/form_sort.h"

namespace kestrel {

Session::Session() = default;
Session::~Session() = default;

}  // namespace kestrel
