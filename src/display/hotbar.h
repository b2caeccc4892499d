#pragma once
// The hotbar's text rules, apart from the drawing: what a button shows and
// what its tooltip says. The drawing is QYXDisplay::draw_hotbar (hotbar.cpp).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The hotbar's buttons: first the slot buttons (F1..F8), then the command
// buttons, which show only while the command hotbar option is on. The first
// command button is HOTBAR_SLOT_BUTTONS.
constexpr int HOTBAR_SLOT_BUTTONS = 8;
constexpr int HOTBAR_COMMAND_BUTTONS = 8;
constexpr int HOTBAR_BUTTONS = HOTBAR_SLOT_BUTTONS + HOTBAR_COMMAND_BUTTONS;

// The mouse must rest this long over a slot button before its tooltip shows.
constexpr int HOTBAR_TOOLTIP_REST_MS = 500;

// A text cut into rows of 4 characters, at most 4 rows (16 characters).
std::vector<std::string> hotbar_text_rows(const std::string& text);
// The rows of slot 10..17 for a spell cast with words: the spell word of
// each of the first 4 letters of its name, each cut to 4 characters.
std::vector<std::string> hotbar_word_rows(const std::string& spell_name);
// The tooltip of slot 10..17 from what `me` holds there; empty when nothing.
std::string hotbar_tooltip_text(int slot);
// "SHIFT", "ALT", ... "CTRL+RMB" for slot 10..17; empty otherwise.
std::string hotbar_tooltip_keys(int slot);

// The clock of the tooltip rest time, in milliseconds; tests replace it.
extern std::function<uint64_t()> hotbar_clock_ms;
