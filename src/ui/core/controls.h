// The rules that tie the main window's controls to the problem state, the
// start-up filling of the controls and the wiring of the callbacks.
#pragma once

#include <cstdint>
#include <string>

#include "ui/core/dialog.h"

namespace parvela {

// Callback of the choice controls (radio buttons, check boxes, lists,
// parameter boxes) and of "Citeste".
void SUB_GENERAL(Dialog& dialog, int controlId, int eventCode);

// Controls of the iterative methods, from methodIndex.
void SET_GS_CONTROLS(Dialog& dialog);
// Controls that make no sense for the condition number.
void EN_DISABLE_CONDITIE(Dialog& dialog);
// Whether "REZOLVA !" may be pressed.
bool ENABLE_REZOLVA();

// Fills the controls of the main window from the problem state (once, at
// start-up, after INITIALIZEDATA).
void INITIALIZECONTROLS(Dialog& dialog);

// Registers the callbacks of the main window's controls, in start-up
// order. The dialog's own callback (icon, end of the message loop) belongs
// to the window and is not registered here.
void registerMainCallbacks(Dialog& dialog);

// The text shown for n and nb: the integer written with I<w>, w = WIDTH(k),
// left-aligned in three characters; a longer value is shown in full.
std::string countText(std::int32_t k);

}  // namespace parvela
