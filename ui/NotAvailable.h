#pragma once

// Tells the user that a command's feature is not in this version yet (information beep and box).
void ShowNotAvailable(int commandId);
