#pragma once

#include <string>

namespace vela::app {

// Empty when Qt can open its platform; otherwise a sentence telling the user why not.
// Qt aborts the process when the xcb platform finds no display, so this is asked first.
std::string MissingDisplayReason();

}  // namespace vela::app
