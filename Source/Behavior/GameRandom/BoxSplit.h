#pragma once

#include <functional>
#include <glm/vec3.hpp>
#include <vector>

// Cuts a box into boxes that tile it, at random: a random leaf of the cut tree is cut again and again
// across a random axis, between a fifth and four fifths of its extent. Doors break into their pieces
// this way and the appearing floor lays out its slots; each passes the generator it draws from.
class BoxSplit
{
public:
    struct Box
    {
        glm::vec3 centre;
        glm::vec3 size;
    };

    // `count` boxes (at least one) tiling the box at `centre` of `size`; `draw` gives whole numbers
    // from 0 to 32767. A non-finite centre or size component counts as 0.
    static std::vector<Box> Split(const glm::vec3& centre, const glm::vec3& size, int count,
                                  const std::function<int()>& draw);
};
