// Cost of the physics step and of its shape tests, each against a bare baseline in the same run:
// - the step with the grid against all dynamic-static pairs, for 100, 1,000 and 10,000 static bodies;
// - CollideAABB and CollideConvex pairs per second against plain array versions of the same tests;
// - the step for 10, 100 and 1,000 dynamic bodies, its growth per 10x and the narrow-phase count.
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "RedirectedOutput.h"
#include "Shape/AABB.h"
#include "Shape/ConvexPolyhedra.h"
#include "System/Logging/Format.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <limits>
#include <random>
#include <vector>

using namespace Morvane;

namespace
{
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A scene of `statics` boxes spread over a 2,000-unit square and `dynamics` boxes among them.
class Scene
{
public:
    Scene(int statics, int dynamics, unsigned seed = 1)
    {
        // Whatever the engine logs while the scene is built stays out of the report.
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> place(-1000.0f, 1000.0f);
        std::uniform_real_distribution<float> size(1.0f, 8.0f);
        std::uniform_real_distribution<float> speed(-5.0f, 5.0f);
        for (int index = 0; index < statics + dynamics; ++index)
        {
            const bool isStatic = index < statics;
            const glm::vec3 position(place(random), place(random) * 0.01f, place(random));
            const glm::vec3 extent(size(random), size(random), size(random));
            const std::string text =
                Format(R"(<Object name="b%d"><Transform position="%g;%g;%g" scale="%g;%g;%g"/>)"
                       R"(<Physics shape="AABB" size="%g;%g;%g" category="%s" velocity="%g;0;%g"/></Object>)",
                       index, double(position.x), double(position.y), double(position.z), double(extent.x),
                       double(extent.y), double(extent.z), double(extent.x), double(extent.y),
                       double(extent.z), isStatic ? "Static" : "Dynamic",
                       isStatic ? 0.0 : double(speed(random)), isStatic ? 0.0 : double(speed(random)));
            XMLParserData element;
            element.FromString(text);
            Game::System::GetInstance().CreateObject(static_cast<const IParserData*>(&element));
        }
        Physics::System::GetInstance().Initialize();
    }
    ~Scene()
    {
        Game::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
};

double TimeStep(bool useGrid)
{
    Physics::System& physics = Physics::System::GetInstance();
    physics.SetUseGrid(useGrid);
    const Clock::time_point start = Clock::now();
    physics.Update(0.016f);
    return SecondsSince(start);
}

void StepGridAgainstAllPairs(benchmark::State& state)
{
    const Scene scene(static_cast<int>(state.range(0)), 100);
    TimeStep(true);
    double grid = 0.0;
    double allPairs = 0.0;
    std::size_t gridTests = 0;
    std::size_t allPairTests = 0;
    for (auto _ : state)
    {
        const double withGrid = TimeStep(true);
        gridTests = Physics::System::GetInstance().GetNarrowPhaseCount();
        allPairs += TimeStep(false);
        allPairTests = Physics::System::GetInstance().GetNarrowPhaseCount();
        grid += withGrid;
        state.SetIterationTime(withGrid);
    }
    state.counters["all_pairs_over_grid"] = allPairs / grid;
    state.counters["narrow_grid"] = static_cast<double>(gridTests);
    state.counters["narrow_all_pairs"] = static_cast<double>(allPairTests);
}
BENCHMARK(StepGridAgainstAllPairs)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// The same box test on flat arrays: overlap on every axis, then the axis of least penetration.
bool PlainBoxContact(const float* aMin, const float* aMax, const float* bMin, const float* bMax, float& depth)
{
    depth = std::numeric_limits<float>::max();
    for (int axis = 0; axis < 3; ++axis)
    {
        if (bMin[axis] > aMax[axis] || aMin[axis] > bMax[axis])
        {
            return false;
        }
        const float d1 = bMin[axis] - aMax[axis];
        const float d2 = bMax[axis] - aMin[axis];
        const float candidate = std::abs(d2) > std::abs(d1) ? d1 : d2;
        depth = std::abs(candidate) < std::abs(depth) ? candidate : depth;
    }
    return true;
}

constexpr int kPairs = 1024;

std::vector<Physics::AABB> RandomBoxes(int count)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> place(-4.0f, 4.0f);
    std::uniform_real_distribution<float> size(0.5f, 3.0f);
    std::vector<Physics::AABB> boxes(static_cast<std::size_t>(count));
    for (Physics::AABB& box : boxes)
    {
        box.SetHalfSize(glm::vec3(size(random), size(random), size(random)));
        box.Update(glm::vec3(place(random), place(random), place(random)), glm::mat4(1.0f));
    }
    return boxes;
}

void CollideAABBAgainstPlainArrays(benchmark::State& state)
{
    const std::vector<Physics::AABB> boxes = RandomBoxes(2 * kPairs);
    std::vector<float> mins;
    std::vector<float> maxs;
    for (const Physics::AABB& box : boxes)
    {
        mins.insert(mins.end(), {box.GetMin().x, box.GetMin().y, box.GetMin().z});
        maxs.insert(maxs.end(), {box.GetMax().x, box.GetMax().y, box.GetMax().z});
    }
    double engine = 0.0;
    double plain = 0.0;
    for (auto _ : state)
    {
        Clock::time_point start = Clock::now();
        for (int pair = 0; pair < kPairs; ++pair)
        {
            Physics::Contact contact;
            benchmark::DoNotOptimize(boxes[2 * pair].CollideAABB(&boxes[2 * pair + 1], &contact));
            benchmark::DoNotOptimize(contact);
        }
        const double engineTime = SecondsSince(start);
        start = Clock::now();
        for (int pair = 0; pair < kPairs; ++pair)
        {
            float depth = 0.0f;
            const std::size_t a = 6 * static_cast<std::size_t>(pair);
            benchmark::DoNotOptimize(PlainBoxContact(&mins[a], &maxs[a], &mins[a + 3], &maxs[a + 3], depth));
            benchmark::DoNotOptimize(depth);
        }
        plain += SecondsSince(start);
        engine += engineTime;
        state.SetIterationTime(engineTime);
    }
    state.SetItemsProcessed(state.iterations() * kPairs);
    state.counters["engine_over_plain_time"] = engine / plain;
}
BENCHMARK(CollideAABBAgainstPlainArrays)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A cube mesh: 8 corners, 12 triangles.
Physics::ConvexPolyhedra Cube(const glm::mat4& world)
{
    std::vector<float> corners;
    for (int corner = 0; corner < 8; ++corner)
    {
        corners.insert(corners.end(),
                       {corner & 1 ? 1.0f : -1.0f, corner & 2 ? 1.0f : -1.0f, corner & 4 ? 1.0f : -1.0f});
    }
    const std::vector<std::uint32_t> triangles = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                                                  2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    Physics::ConvexPolyhedra cube;
    cube.Build(triangles, corners, Physics::VertexLayout{});
    cube.Update(glm::vec3(world[3]), world);
    return cube;
}

// The same separating-axis test on flat arrays of world vertices and axes, without contact points.
struct PlainHull
{
    std::vector<glm::vec3> vertices;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec3> edges;
};

bool PlainConvexContact(const PlainHull& a, const PlainHull& b, float& depth)
{
    depth = std::numeric_limits<float>::max();
    const auto test = [&](const glm::vec3& axis)
    {
        float minA = std::numeric_limits<float>::max();
        float maxA = -minA;
        float minB = minA;
        float maxB = -minA;
        for (const glm::vec3& vertex : a.vertices)
        {
            const float projection = glm::dot(vertex, axis);
            minA = std::min(minA, projection);
            maxA = std::max(maxA, projection);
        }
        for (const glm::vec3& vertex : b.vertices)
        {
            const float projection = glm::dot(vertex, axis);
            minB = std::min(minB, projection);
            maxB = std::max(maxB, projection);
        }
        if (maxA < minB || maxB < minA)
        {
            return false;
        }
        const float d1 = minB - maxA;
        const float d2 = maxB - minA;
        const float candidate = std::abs(d2) <= std::abs(d1) ? d2 : d1;
        depth = std::abs(candidate) < std::abs(depth) ? candidate : depth;
        return true;
    };
    for (const glm::vec3& normal : a.normals)
    {
        if (!test(normal))
        {
            return false;
        }
    }
    for (const glm::vec3& normal : b.normals)
    {
        if (!test(normal))
        {
            return false;
        }
    }
    for (const glm::vec3& mine : a.edges)
    {
        for (const glm::vec3& theirs : b.edges)
        {
            const glm::vec3 cross = glm::cross(mine, theirs);
            const float length = glm::length(cross);
            if (length >= 1.0e-3f && !test(cross / length))
            {
                return false;
            }
        }
    }
    return true;
}

void CollideConvexAgainstPlainArrays(benchmark::State& state)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> place(-2.5f, 2.5f);
    std::normal_distribution<float> turn;
    std::vector<Physics::ConvexPolyhedra> hulls;
    std::vector<PlainHull> plainHulls;
    for (int index = 0; index < 2 * kPairs; ++index)
    {
        const glm::quat rotation =
            glm::normalize(glm::quat(turn(random), turn(random), turn(random), turn(random)));
        const glm::mat4 world =
            glm::translate(glm::mat4(1.0f), glm::vec3(place(random), place(random), place(random))) *
            glm::mat4_cast(rotation);
        hulls.push_back(Cube(world));
        plainHulls.push_back({hulls.back().GetWorldVertices(), hulls.back().GetWorldNormals(),
                              hulls.back().GetWorldEdgeDirections()});
    }
    double engine = 0.0;
    double plain = 0.0;
    for (auto _ : state)
    {
        Clock::time_point start = Clock::now();
        for (int pair = 0; pair < kPairs; ++pair)
        {
            Physics::Contact contact;
            benchmark::DoNotOptimize(hulls[2 * pair].CollideConvex(&hulls[2 * pair + 1], &contact, nullptr));
            benchmark::DoNotOptimize(contact);
        }
        const double engineTime = SecondsSince(start);
        start = Clock::now();
        for (int pair = 0; pair < kPairs; ++pair)
        {
            float depth = 0.0f;
            benchmark::DoNotOptimize(
                PlainConvexContact(plainHulls[2 * pair], plainHulls[2 * pair + 1], depth));
            benchmark::DoNotOptimize(depth);
        }
        plain += SecondsSince(start);
        engine += engineTime;
        state.SetIterationTime(engineTime);
    }
    state.SetItemsProcessed(state.iterations() * kPairs);
    state.counters["engine_over_plain_time"] = engine / plain;
}
BENCHMARK(CollideConvexAgainstPlainArrays)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Median step time of `dynamics` bodies over 100 static ones, and the narrow-phase tests of a step.
std::pair<double, double> MeasureStep(int dynamics, int steps)
{
    const Scene scene(100, dynamics);
    std::vector<double> times;
    for (int step = 0; step < steps; ++step)
    {
        times.push_back(TimeStep(true));
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2],
            static_cast<double>(Physics::System::GetInstance().GetNarrowPhaseCount())};
}

void StepGrowthWithDynamicBodies(benchmark::State& state)
{
    std::array<std::pair<double, double>, 3> measured{};
    for (auto _ : state)
    {
        measured = {MeasureStep(10, 200), MeasureStep(100, 50), MeasureStep(1000, 10)};
        state.SetIterationTime(measured[2].first);
    }
    const std::array<const char*, 3> sizes = {"10", "100", "1000"};
    for (std::size_t index = 0; index < measured.size(); ++index)
    {
        state.counters[std::string("step_us_") + sizes[index]] = measured[index].first * 1e6;
        state.counters[std::string("narrow_phase_") + sizes[index]] = measured[index].second;
    }
    state.counters["growth_10_to_100"] = measured[1].first / measured[0].first;
    state.counters["growth_100_to_1000"] = measured[2].first / measured[1].first;
}
BENCHMARK(StepGrowthWithDynamicBodies)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
} // namespace
