// SPDX-License-Identifier: Zlib
// The sheet export as a built-in of the game (figure_export_sheet).
#pragma once

void SheetBuiltins_Register();
