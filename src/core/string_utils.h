#pragma once
// Byte-string helpers shared by every table reader and message handler.

#include <cstdarg>
#include <cstdio>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Reads up to a line feed (not kept; a carriage return is). False at the end
// of the file with nothing read, or for a null file; `out` is then untouched.
bool read_line(FILE* f, std::string& out);

// The next data row of a TAB-separated table: lines are read with read_line,
// trimmed with trim2 unless `trim_lines` is false, and empty lines and lines
// starting with '#' are passed over. False at the end of the file.
bool read_table_row(FILE* f, std::vector<std::string>& fields, bool trim_lines = true);

// printf into a string of at most 99,999 bytes. External text must be an
// argument, never the format.
std::string format_str(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// The same for a va_list, with no length limit.
std::string vformat_str(const char* fmt, va_list ap) __attribute__((format(printf, 1, 0)));

std::string trim2(const std::string& s, bool strip_quotes);
// The same trim as a view into `s`: for walking a long text without copying it.
std::string_view trim2_view(std::string_view s, bool strip_quotes);
void trim(char* text);
void rm_us(char* text);
std::string add_us2(const std::string& s);
std::string rm_us2(const std::string& s);
std::string to_lower(const std::string& s);
std::string to_upper(const std::string& s);
std::string capitalise_first_letter(const std::string& s);
std::string strip_clan_tag(const std::string& s);
bool is_alphanumeric(const std::string& s);
bool is_printable(const std::string& s);
bool is_word_boundary(const std::string& s, int position, int length);
std::string replace_all(const std::string& find, const std::string& replacement,
                        const std::string& source, bool ignore_case, bool whole_word);
int first_char(const std::string& s);
long hex_to_int(const std::string& s);
// Decimal as strtol reads it, cut to the low 32 bits of the 64-bit value.
int to_int(const std::string& s);
float to_float(const std::string& s);
std::string int_to_str(int n);
std::string escape_quotes(const std::string& s);
std::string read_stream(std::istream& in);
// Splits at every occurrence of `delimiter`, keeping empty pieces; returns the
// number of delimiters found.
int split(const std::string& s, const std::string& delimiter, std::vector<std::string>& out);
