// SPDX-License-Identifier: Zlib
// Numbers as text: the one rendering that string(), the debug output and the
// exported figure's text share, so that they can never disagree.
#pragma once

class TextBuffer;

// Appends `d` as string() writes it: a whole number (within the 64-bit
// integer range) without a decimal point, "NaN" for NaN, any other value with
// exactly two decimals ("%.2f": 2.5 is "2.50", 1e-7 is "0.00").
void Number_ToText(TextBuffer* buffer, double d);
