#pragma once

#include <cstddef>
#include <deque>
#include <glm/vec3.hpp>
#include <optional>
#include <string>

// The editor's changes since the level was loaded, newest last, so that Ctrl+Z can take them back.
// Objects are named, not pointed at: a deleted object comes back under a new name.
class EditHistory
{
public:
    static constexpr std::size_t kCapacity = 256;

    struct Change
    {
        enum class Kind
        {
            Transform,
            Delete,
        };
        Kind kind = Kind::Transform;
        std::string objectName;
        // A drag: the move made and the scale before it.
        glm::vec3 moved{0.0f};
        glm::vec3 scaleBefore{1.0f};
        bool scaleEditedBefore = false;
        // A deletion: the element that made the object and the editor's changes to it until then.
        std::size_t elementIndex = 0;
        glm::vec3 totalMoved{0.0f};
        bool scaleEdited = false;
        glm::vec3 editedScale{1.0f};
        std::string activatableName;
    };

    // Keeps the newest `kCapacity` changes.
    void Push(Change change);
    std::optional<Change> Pop();
    // A deleted object came back as `newName`: older changes to it follow.
    void Rename(const std::string& oldName, const std::string& newName);
    void Clear() { m_changes.clear(); }
    std::size_t GetCount() const { return m_changes.size(); }

private:
    std::deque<Change> m_changes;
};
