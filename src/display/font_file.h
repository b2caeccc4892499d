#pragma once
// Font datafiles are checked before the graphics library's loader reads
// them: the loader trusts every count and size in the file, so a cut or
// damaged file crashes it, or leaves glyphs that crash the drawing later.

enum FontFileState { FONT_FILE_MISSING, FONT_FILE_DAMAGED, FONT_FILE_OK };

// Whether the datafile at `path` holds a complete font as the first root
// object named `name` (compared as the loader compares it, ignoring case).
// Only what the loader reads is checked: the objects up to that one.
FontFileState check_font_datafile(const char* path, const char* name);
