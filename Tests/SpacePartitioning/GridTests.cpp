#include "Component/TransformComponent.h"
#include "MessageBoxRecorder.h"
#include "SpacePartitioning/Grid.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <random>

namespace Morvane::SpacePartitioning
{
namespace
{
struct Owner
{
    int id = 0;
};

using Box = AABB<Owner>;
using Volume = IBoundingVolume<Owner>;

class GridTest : public testing::Test
{
protected:
    Box* Make(const glm::vec3& min, const glm::vec3& max)
    {
        m_owners.push_back(std::make_unique<Owner>(Owner{static_cast<int>(m_owners.size())}));
        m_boxes.push_back(std::make_unique<Box>(m_owners.back().get()));
        m_boxes.back()->Set(min, max);
        m_boxes.back()->SetOrderKey(m_owners.size());
        return m_boxes.back().get();
    }

    std::vector<CellCoordinate> CellsOf(Box* box)
    {
        Grid<Owner> grid(glm::vec3(50.0f));
        grid.Insert(box);
        std::vector<CellCoordinate> cells;
        for (const auto& [cell, listed] : grid.GetCells())
        {
            cells.push_back(cell);
        }
        std::sort(cells.begin(), cells.end(),
                  [](const CellCoordinate& a, const CellCoordinate& b)
                  { return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z); });
        return cells;
    }

    std::vector<std::unique_ptr<Owner>> m_owners;
    std::vector<std::unique_ptr<Box>> m_boxes;
};

TEST_F(GridTest, CellsAroundTheOriginAreWide)
{
    using Cells = std::vector<CellCoordinate>;
    EXPECT_EQ(CellsOf(Make(glm::vec3(-10.0f), glm::vec3(10.0f))), (Cells{{0, 0, 0}}));
    EXPECT_EQ(CellsOf(Make(glm::vec3(40, 0, 0), glm::vec3(60, 1, 1))), (Cells{{0, 0, 0}, {1, 0, 0}}));
    EXPECT_EQ(CellsOf(Make(glm::vec3(-60, 0, 0), glm::vec3(-40, 1, 1))), (Cells{{-1, 0, 0}, {0, 0, 0}}));
    EXPECT_EQ(CellRange::CellIndex(49.5f, 50.0f), 1);
    EXPECT_EQ(CellRange::CellIndex(49.4f, 50.0f), 0);
    EXPECT_EQ(CellRange::CellIndex(-49.4f, 50.0f), 0);
    EXPECT_EQ(CellRange::CellIndex(-49.5f, 50.0f), -1);
    EXPECT_EQ(CellRange::CellIndex(-99.4f, 50.0f), -1);
    EXPECT_EQ(CellRange::CellIndex(-100.0f, 50.0f), -2);
    EXPECT_EQ(CellsOf(Make(glm::vec3(-160, -60, -10), glm::vec3(-120, -55, 10))),
              (Cells{{-3, -1, 0}, {-2, -1, 0}}));
}

TEST_F(GridTest, HugeFarAndNaNBoxesAreSafe)
{
    EXPECT_EQ(CellRange::CellIndex(1e12f, 50.0f), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(CellRange::CellIndex(-3e38f, 0.001f), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(CellRange::CellIndex(std::numeric_limits<float>::infinity(), 50.0f),
              std::numeric_limits<std::int32_t>::max());
    Grid<Owner> grid(glm::vec3(50.0f));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Box* huge = Make(glm::vec3(-1e12f), glm::vec3(1e12f));
    Box* far = Make(glm::vec3(1e12f), glm::vec3(1e12f + 1.0f));
    Box* broken = Make(glm::vec3(nan), glm::vec3(1.0f));
    Box* small = Make(glm::vec3(0.0f), glm::vec3(1.0f));
    grid.Insert(huge);
    grid.Insert(far);
    grid.Insert(broken);
    grid.Insert(small);
    EXPECT_EQ(grid.GetOverflow(), (std::vector<Volume*>{huge}));
    EXPECT_EQ(grid.GetCells().size(), 2u);
    // The huge box is returned everywhere, the far one where it is, the NaN box nowhere.
    EXPECT_EQ(grid.Query(Make(glm::vec3(0.5f), glm::vec3(0.6f))), (std::vector<Volume*>{huge, small}));
    EXPECT_EQ(grid.Query(Make(glm::vec3(1e12f), glm::vec3(1e12f))), (std::vector<Volume*>{huge, far}));
    EXPECT_EQ(grid.Query(Make(glm::vec3(nan), glm::vec3(nan))), (std::vector<Volume*>{huge}));
    // A query as big as the world scans the occupied cells and enters none.
    const std::size_t cellsBefore = grid.GetCells().size();
    EXPECT_EQ(grid.Query(huge), (std::vector<Volume*>{huge, far, small}));
    EXPECT_EQ(grid.GetCells().size(), cellsBefore);
    grid.Remove(huge);
    EXPECT_TRUE(grid.GetOverflow().empty());
}

TEST_F(GridTest, QueryOrderFollowsTheKeysAndEntersEmptyCells)
{
    Grid<Owner> grid(glm::vec3(50.0f));
    Box* first = Make(glm::vec3(60, 0, 0), glm::vec3(70, 1, 1));
    Box* second = Make(glm::vec3(-10.0f), glm::vec3(10.0f));
    Box* third = Make(glm::vec3(0.0f), glm::vec3(80, 1, 1));
    // Entered in another order than their keys.
    grid.Insert(third);
    grid.Insert(second);
    grid.Insert(first);
    EXPECT_EQ(grid.Query(Make(glm::vec3(-5.0f), glm::vec3(75, 1, 1))),
              (std::vector<Volume*>{first, second, third}));
    const std::size_t cells = grid.GetCells().size();
    EXPECT_TRUE(grid.Query(Make(glm::vec3(500.0f), glm::vec3(560.0f))).empty());
    EXPECT_EQ(grid.GetCells().size(), cells + 2 * 2 * 2);
    grid.Clear();
    EXPECT_TRUE(grid.GetCells().empty());
}

TEST_F(GridTest, DoubleInsertionRemovalAndMoves)
{
    Grid<Owner> grid(glm::vec3(50.0f));
    Box* box = Make(glm::vec3(40, 0, 0), glm::vec3(60, 1, 1));
    grid.Insert(box);
    grid.Insert(box);
    for (const auto& [cell, listed] : grid.GetCells())
    {
        EXPECT_EQ(listed.size(), 2u);
    }
    EXPECT_EQ(grid.Query(box).size(), 1u);
    grid.Remove(box);
    for (const auto& [cell, listed] : grid.GetCells())
    {
        EXPECT_EQ(listed.size(), 1u);
    }
    // Moved without telling the grid, then removed: it leaves every cell it was entered in.
    box->Set(glm::vec3(400.0f), glm::vec3(401.0f));
    grid.Remove(box);
    for (const auto& [cell, listed] : grid.GetCells())
    {
        EXPECT_TRUE(listed.empty());
    }
    EXPECT_EQ(grid.GetCells().size(), 2u);
    // Moved with notice: found at its new place only.
    grid.Insert(box);
    const Box before = *box;
    box->Set(glm::vec3(-400.0f), glm::vec3(-399.0f));
    grid.Update(box, before);
    EXPECT_TRUE(grid.Query(Make(glm::vec3(400.0f), glm::vec3(401.0f))).empty());
    EXPECT_EQ(grid.Query(Make(glm::vec3(-400.0f), glm::vec3(-400.0f))), (std::vector<Volume*>{box}));
}

TEST_F(GridTest, QueryContainsEveryIntersectingBox)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(-300.0f, 300.0f);
    std::uniform_real_distribution<float> extent(0.0f, 80.0f);
    Grid<Owner> grid(glm::vec3(50.0f));
    std::vector<Box*> inserted;
    const auto randomBox = [&]
    {
        const glm::vec3 min(place(random), place(random), place(random));
        return Make(min, min + glm::vec3(extent(random), extent(random), extent(random)));
    };
    for (int index = 0; index < 300; ++index)
    {
        inserted.push_back(randomBox());
        grid.Insert(inserted.back());
    }
    for (int query = 0; query < 300; ++query)
    {
        Box* probe = randomBox();
        const std::vector<Volume*> found = grid.Query(probe);
        for (Box* box : inserted)
        {
            if (probe->Intersects(box))
            {
                EXPECT_NE(std::find(found.begin(), found.end(), box), found.end());
            }
        }
        EXPECT_TRUE(std::is_sorted(found.begin(), found.end(),
                                   [](const Volume* a, const Volume* b)
                                   { return a->GetOrderKey() < b->GetOrderKey(); }));
    }
}

TEST_F(GridTest, PotentialPairsShareACell)
{
    Grid<Owner> grid(glm::vec3(50.0f));
    Box* a = Make(glm::vec3(0.0f), glm::vec3(1.0f));
    Box* b = Make(glm::vec3(2.0f), glm::vec3(3.0f));
    Box* c = Make(glm::vec3(200.0f), glm::vec3(201.0f));
    grid.Insert(b);
    grid.Insert(a);
    grid.Insert(c);
    using Pairs = std::vector<std::pair<Volume*, Volume*>>;
    EXPECT_EQ(grid.GetPotentialPairs(), (Pairs{{a, a}, {a, b}, {b, b}, {c, c}}));
}

TEST_F(GridTest, VolumesUpdateFromTransformsAndCheckTheirArguments)
{
    Game::TransformComponent transform(nullptr);
    transform.SetPosition(glm::vec3(1.0f, 2.0f, 3.0f));
    transform.SetScale(glm::vec3(-2.0f, 4.0f, 6.0f));
    Box* box = Make(glm::vec3(0.0f), glm::vec3(0.0f));
    box->Update(&transform);
    EXPECT_EQ(box->GetMin(), glm::vec3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(box->GetMax(), glm::vec3(2.0f, 4.0f, 6.0f));
    EXPECT_EQ(box->GetOwner(), m_owners.back().get());

    struct Other : Volume
    {
        bool Intersects(const Volume*) const override { return false; }
        void Update(Game::TransformComponent*) override {}
        Owner* GetOwner() override { return nullptr; }
        Owner* GetOwner() const override { return nullptr; }
    } other;
    Testing::MessageBoxRecorder boxes;
    Grid<Owner> grid(glm::vec3(50.0f));
    EXPECT_THROW(grid.Insert(&other), std::runtime_error);
    EXPECT_THROW(grid.Query(&other), std::runtime_error);
    EXPECT_THROW(box->Intersects(&other), std::runtime_error);
    EXPECT_THROW(box->Update(nullptr), std::runtime_error);
    std::string texts;
    for (const Testing::MessageBoxRecorder::Box& shown : boxes.GetBoxes())
    {
        texts += shown.text;
    }
    EXPECT_NE(texts.find("'aabb' was false"), std::string::npos);
    EXPECT_NE(texts.find("'otherAABB' was false"), std::string::npos);
    EXPECT_NE(texts.find("'transformComponent' was false"), std::string::npos);
}
} // namespace
} // namespace Morvane::SpacePartitioning
