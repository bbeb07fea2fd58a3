#pragma once

#include <QIcon>

namespace vela::app {

// The program's own icon: a price line on white, drawn rather than shipped as a file.
QIcon ProgramIcon();

}  // namespace vela::app
