#pragma once

#include <string>

namespace MorvaneData
{
// A ".obj" mesh or ".png" image, read through the engine's own importers without a GL context.
// Problems are logged with the lines the engine writes when it loads the same file.
class ImportedFile
{
public:
    // True for the file kinds this reads (by extension, in any case).
    static bool Handles(const std::string& path);

    // Reads the file; false when it is broken. On success `text` holds what print writes: the mesh as
    // the engine saves it, or the image's size and format.
    bool Read(const std::string& path, std::string& text) const;

private:
    bool ReadMesh(const std::string& path, std::string& text) const;
    bool ReadImage(const std::string& path, std::string& text) const;
};
} // namespace MorvaneData
