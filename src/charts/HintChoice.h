#pragma once

#include <optional>

// The main window's pages as the signal displays and the hint choice tell them apart.
enum class DisplayPage { About, TuneUp, Range, Params };

// The hint line's entry for the active page and the detector's condition (`state` of the
// Average message, `dis` of the Speed message, `reg` of the Section message), or none: the
// hint line then keeps what it shows.
std::optional<int> UpdateHint(DisplayPage page, unsigned state, unsigned dis, unsigned reg);
