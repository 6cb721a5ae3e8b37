#pragma once
// A child process's output cut into lines, free of any process: bytes are fed in as they are read,
// in pieces of any size. A line feed ends a line; carriage returns are dropped; empty lines never
// count; a last line without its line feed counts once the output is finished. Only the first
// kMaxKeptBytes are kept: a child that floods its output cannot take all the memory.
#include <cstddef>
#include <string>
#include <vector>

class OutputLines
{
public:
    static constexpr std::size_t kMaxKeptBytes = 1024 * 1024;

    void Feed(const char* bytes, std::size_t count);
    // The output has ended: a line still open is kept.
    void Finish();

    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
    std::string m_current;
    char m_previous = '\n';
    std::size_t m_fed = 0;
};
