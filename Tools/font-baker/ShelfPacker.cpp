#include "ShelfPacker.h"

#include <algorithm>

namespace FontBaker
{
bool ShelfPacker::Place(int width, int height, int& page, int& x, int& y)
{
    if (width + 2 * m_gap > m_pageSize || height + 2 * m_gap > m_pageSize)
    {
        return false;
    }
    if (m_x == 0 && m_y == 0)
    {
        m_x = m_gap;
        m_y = m_gap;
    }
    if (m_x + width + m_gap > m_pageSize)
    {
        m_x = m_gap;
        m_y += m_rowHeight + m_gap;
        m_rowHeight = 0;
    }
    if (m_y + height + m_gap > m_pageSize)
    {
        ++m_page;
        m_x = m_gap;
        m_y = m_gap;
        m_rowHeight = 0;
    }
    page = m_page;
    x = m_x;
    y = m_y;
    m_x += width + m_gap;
    m_rowHeight = std::max(m_rowHeight, height);
    return true;
}
} // namespace FontBaker
