#include "ui/ProgramFont.h"

namespace dravel::ui {

// Windows has "MS Sans Serif" itself.
void loadStandInFonts() {}

}  // namespace dravel::ui
