// What the tests and the stand-in for the pad's outside programs agree on.
#pragma once

namespace outside_program {

// The stand-in's build name; the tests copy it under the outside programs'
// names.
inline constexpr char kProgram[] = "wrendle_outside_program.exe";
// Its hidden window, titled with the name it was started under.
inline constexpr char kWindowClass[] = "WrendleOutsideProgram";

}  // namespace outside_program
