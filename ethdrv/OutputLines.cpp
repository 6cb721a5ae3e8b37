#include "ethdrv/OutputLines.h"

void OutputLines::Feed(const char* bytes, std::size_t count)
{
    if (count > kMaxKeptBytes - m_fed)
        count = kMaxKeptBytes - m_fed;
    m_fed += count;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c == '\r')
            continue;
        if (c == '\n') {
            if (m_previous != '\n')
                m_lines.push_back(m_current);
            m_current.clear();
        } else {
            m_current += c;
        }
        m_previous = c;
    }
}

void OutputLines::Finish()
{
    if (!m_current.empty())
        m_lines.push_back(m_current);
    m_current.clear();
    m_previous = '\n';
}
