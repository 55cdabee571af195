#pragma once

namespace FontBaker
{
// Places rectangles on square pages row by row, each `gap` pixels from its neighbours and the edges.
class ShelfPacker
{
public:
    ShelfPacker(int pageSize, int gap) : m_pageSize(pageSize), m_gap(gap) {}

    // The page and corner of a width x height rectangle; false when it cannot fit on an empty page.
    bool Place(int width, int height, int& page, int& x, int& y);
    int GetPageCount() const { return m_page + 1; }

private:
    int m_pageSize;
    int m_gap;
    int m_page = 0;
    int m_x = 0;
    int m_y = 0;
    int m_rowHeight = 0;
};
} // namespace FontBaker
