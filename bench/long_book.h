// The text of a long book as a server may send it: its compressed form
// inflates to at most 1,000,000 bytes and travels in one message, so the
// text repeats (numbered chapters of one passage) to pack small.

#pragma once

#include <string>

// `size` characters: chapters of a passage with full lines, a word longer
// than a line, empty lines and forced line ends (character 31).
inline std::string long_book_text(size_t size = 990000) {
  const std::string end(1, '\x1f');
  const std::string passage =
      "The old road runs along the river and leaves the hills at the ford, where the ferryman "
      "keeps a lantern burning through the night." + end + end +
      "Travellers who reach the ford after dark knock three times and wait; "
      "unquestionablyuncomfortablewaiting is the custom of the valley." + end +
      "Beyond the ford the road climbs to the stone bridge, the mill and the market of the "
      "lower town, then on towards the mountains." + end + end + end;
  std::string text;
  text.reserve(size + passage.size());
  for (int chapter = 1; text.size() < size; ++chapter)
    text += "Chapter " + std::to_string(chapter) + end + passage;
  text.resize(size);
  return text;
}
