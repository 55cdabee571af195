#pragma once

#include "Behavior/BehaviorComponent.h"

#include <cstddef>
#include <glm/vec3.hpp>
#include <map>
#include <string>
#include <vector>

namespace Morvane::Game
{
class Object;
class TransformComponent;
} // namespace Morvane::Game

// A level object the editor can pick, move and scale. It knows the level element that made it, so
// that the level can be saved with the editor's changes, and the objects that must travel with it
// (triggers the loader made for it, a door's pieces, a gravity platform's triggers): a transform-only
// move would leave them behind and the object would spring back in play.
class GameEditable : public Morvane::Behavior::Component
{
public:
    static constexpr float kMinimumScale = 0.01f;

    explicit GameEditable(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    // Keeps the transform and registers with the editor, if there is one.
    bool Initialize() override;
    // Follows the transform and outlines the object.
    void Update(const float& dt) override;
    // Leaves the editor's list: the editor must never keep a destroyed selection.
    void Release() override;

    // Where the level made it: which load of the game logic, the element's index among the level's
    // elements and the objects made with it. The transform as it is now counts as placed.
    void SetSource(unsigned levelLoad, std::size_t elementIndex, std::vector<std::string> followers);

    // Moves the object and everything that travels with it; a non-finite position is refused.
    bool SetPosition(const glm::vec3& position);
    // Scales the object (its box too) and its followers about its centre; scales below
    // `kMinimumScale` or non-finite ones are refused.
    bool SetScale(const glm::vec3& scale);
    // Undo: puts the scale back and whether the editor had changed it.
    void RestoreScale(const glm::vec3& scale, bool edited);

    glm::vec3 GetPosition() const;
    glm::vec3 GetScale() const;
    // The box the editor picks: position ± |scale| / 2.
    glm::vec3 GetBoxMin() const;
    glm::vec3 GetBoxMax() const;

    // The attributes the editor changed, as a level file writes them, from the element that made it.
    std::map<std::string, std::string> CollectEdits(const Morvane::IParserData& element) const;

    unsigned GetLevelLoad() const { return m_levelLoad; }
    std::size_t GetElementIndex() const { return m_elementIndex; }
    const glm::vec3& GetMoved() const { return m_moved; }
    bool IsScaleEdited() const { return m_scaleEdited; }
    const glm::vec3& GetEditedScale() const { return m_editedScale; }
    // Everything that travels with the object, alive now.
    std::vector<Morvane::Game::Object*> FindFollowers() const;
    const std::vector<std::string>& GetFollowerNames() const { return m_followers; }

private:
    const Morvane::Game::TransformComponent* Transform() const;

    Morvane::Game::TransformComponent* m_referenceTransform = nullptr;
    glm::vec3 m_referencePosition{0.0f};
    glm::vec3 m_referenceScale{1.0f};
    glm::vec3 m_placedPosition{0.0f};
    unsigned m_levelLoad = 0;
    std::size_t m_elementIndex = 0;
    std::vector<std::string> m_followers;
    // The editor's changes since the level was loaded; gameplay motion (a floater's bobbing, a
    // pressed button's shrinking) is never saved.
    glm::vec3 m_moved{0.0f};
    glm::vec3 m_editedScale{1.0f};
    bool m_scaleEdited = false;
};
