// What happens when the C++ runtime must end the program (an exception nobody catches, a
// broken invariant of the library): it ends at once. The runtime's own handler would write
// the exception's demangled type to a console these windowed programs do not have, and would
// bring the whole C++ name demangler into both programs for it (about 46 KiB).
// Linked into each program directly (not through the common library), so that it stands in
// for the runtime's handler.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
