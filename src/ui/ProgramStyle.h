#pragma once

namespace dravel::ui {

// The platform's style with the behaviour of Windows' own controls where Qt
// differs: a check box or radio button takes a click anywhere in its given
// size, not only on its box and caption.
void useProgramStyle();

}  // namespace dravel::ui
