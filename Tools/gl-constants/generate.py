#!/usr/bin/env python3
"""Writes the "OpenGL" constants context from the system's GL headers.

Data files name GL enumerations ("GL_LINEAR", "GL_RGBA8"); the constant manager reads them from the
file this script writes. Values are written in decimal: the engine reads constants with atoi, so a
hexadecimal text would read 0.

    Tools/gl-constants/generate.py [--include-dir /usr/include] [--output FILE]
"""

import argparse
import pathlib
import re
import sys

# Headers searched in order; the first definition of a name wins (they agree where they overlap).
HEADERS = ["GL/glcorearb.h", "GL/glext.h", "GL/gl.h", "GL/glew.h"]

GROUPS = [
    ("Texture filters", [
        "GL_NEAREST", "GL_LINEAR", "GL_NEAREST_MIPMAP_NEAREST", "GL_LINEAR_MIPMAP_NEAREST",
        "GL_NEAREST_MIPMAP_LINEAR", "GL_LINEAR_MIPMAP_LINEAR"]),
    ("Texture wraps", [
        "GL_REPEAT", "GL_MIRRORED_REPEAT", "GL_CLAMP_TO_EDGE", "GL_CLAMP_TO_BORDER",
        "GL_MIRROR_CLAMP_TO_EDGE", "GL_CLAMP"]),
    ("Texture targets and parameters", [
        "GL_TEXTURE_1D", "GL_TEXTURE_2D", "GL_TEXTURE_3D", "GL_TEXTURE_1D_ARRAY", "GL_TEXTURE_2D_ARRAY",
        "GL_TEXTURE_RECTANGLE", "GL_TEXTURE_CUBE_MAP", "GL_TEXTURE_CUBE_MAP_ARRAY", "GL_TEXTURE_2D_MULTISAMPLE",
        "GL_TEXTURE_BUFFER", "GL_TEXTURE_CUBE_MAP_POSITIVE_X", "GL_TEXTURE_CUBE_MAP_NEGATIVE_X",
        "GL_TEXTURE_CUBE_MAP_POSITIVE_Y", "GL_TEXTURE_CUBE_MAP_NEGATIVE_Y", "GL_TEXTURE_CUBE_MAP_POSITIVE_Z",
        "GL_TEXTURE_CUBE_MAP_NEGATIVE_Z", "GL_TEXTURE_MIN_FILTER", "GL_TEXTURE_MAG_FILTER", "GL_TEXTURE_WRAP_S",
        "GL_TEXTURE_WRAP_T", "GL_TEXTURE_WRAP_R", "GL_TEXTURE_COMPARE_MODE", "GL_TEXTURE_COMPARE_FUNC",
        "GL_COMPARE_REF_TO_TEXTURE", "GL_TEXTURE_MAX_LEVEL", "GL_TEXTURE_BASE_LEVEL", "GL_TEXTURE0"]),
    ("Pixel formats", [
        "GL_RED", "GL_GREEN", "GL_BLUE", "GL_ALPHA", "GL_RG", "GL_RGB", "GL_RGBA", "GL_BGR", "GL_BGRA",
        "GL_RED_INTEGER", "GL_RG_INTEGER", "GL_RGB_INTEGER", "GL_RGBA_INTEGER", "GL_BGR_INTEGER",
        "GL_BGRA_INTEGER", "GL_DEPTH_COMPONENT", "GL_DEPTH_STENCIL", "GL_STENCIL_INDEX", "GL_LUMINANCE",
        "GL_LUMINANCE_ALPHA"]),
    ("Internal formats", [
        "GL_R8", "GL_R8_SNORM", "GL_R16", "GL_R16_SNORM", "GL_R16F", "GL_R32F", "GL_R8I", "GL_R8UI", "GL_R16I",
        "GL_R16UI", "GL_R32I", "GL_R32UI", "GL_RG8", "GL_RG8_SNORM", "GL_RG16", "GL_RG16_SNORM", "GL_RG16F",
        "GL_RG32F", "GL_RG8I", "GL_RG8UI", "GL_RG16I", "GL_RG16UI", "GL_RG32I", "GL_RG32UI", "GL_RGB4", "GL_RGB5",
        "GL_RGB8", "GL_RGB8_SNORM", "GL_RGB10", "GL_RGB12", "GL_RGB16", "GL_RGB16_SNORM", "GL_RGB16F",
        "GL_RGB32F", "GL_RGB8I", "GL_RGB8UI", "GL_RGB16I", "GL_RGB16UI", "GL_RGB32I", "GL_RGB32UI",
        "GL_R3_G3_B2", "GL_RGB565", "GL_R11F_G11F_B10F", "GL_RGB9_E5", "GL_RGBA2", "GL_RGBA4", "GL_RGB5_A1",
        "GL_RGBA8", "GL_RGBA8_SNORM", "GL_RGB10_A2", "GL_RGB10_A2UI", "GL_RGBA12", "GL_RGBA16",
        "GL_RGBA16_SNORM", "GL_RGBA16F", "GL_RGBA32F", "GL_RGBA8I", "GL_RGBA8UI", "GL_RGBA16I", "GL_RGBA16UI",
        "GL_RGBA32I", "GL_RGBA32UI", "GL_SRGB", "GL_SRGB8", "GL_SRGB_ALPHA", "GL_SRGB8_ALPHA8",
        "GL_COMPRESSED_RED", "GL_COMPRESSED_RG", "GL_COMPRESSED_RGB", "GL_COMPRESSED_RGBA",
        "GL_COMPRESSED_SRGB", "GL_COMPRESSED_SRGB_ALPHA", "GL_DEPTH_COMPONENT16", "GL_DEPTH_COMPONENT24",
        "GL_DEPTH_COMPONENT32", "GL_DEPTH_COMPONENT32F", "GL_DEPTH24_STENCIL8", "GL_DEPTH32F_STENCIL8",
        "GL_STENCIL_INDEX1", "GL_STENCIL_INDEX4", "GL_STENCIL_INDEX8", "GL_STENCIL_INDEX16"]),
    ("Data types", [
        "GL_BYTE", "GL_UNSIGNED_BYTE", "GL_SHORT", "GL_UNSIGNED_SHORT", "GL_INT", "GL_UNSIGNED_INT",
        "GL_HALF_FLOAT", "GL_FLOAT", "GL_DOUBLE", "GL_FIXED", "GL_UNSIGNED_BYTE_3_3_2",
        "GL_UNSIGNED_BYTE_2_3_3_REV", "GL_UNSIGNED_SHORT_5_6_5", "GL_UNSIGNED_SHORT_5_6_5_REV",
        "GL_UNSIGNED_SHORT_4_4_4_4", "GL_UNSIGNED_SHORT_4_4_4_4_REV", "GL_UNSIGNED_SHORT_5_5_5_1",
        "GL_UNSIGNED_SHORT_1_5_5_5_REV", "GL_UNSIGNED_INT_8_8_8_8", "GL_UNSIGNED_INT_8_8_8_8_REV",
        "GL_UNSIGNED_INT_10_10_10_2", "GL_UNSIGNED_INT_2_10_10_10_REV", "GL_UNSIGNED_INT_24_8",
        "GL_UNSIGNED_INT_10F_11F_11F_REV", "GL_UNSIGNED_INT_5_9_9_9_REV", "GL_FLOAT_32_UNSIGNED_INT_24_8_REV",
        "GL_INT_2_10_10_10_REV"]),
    ("Primitives and polygon modes", [
        "GL_POINTS", "GL_LINES", "GL_LINE_LOOP", "GL_LINE_STRIP", "GL_TRIANGLES", "GL_TRIANGLE_STRIP",
        "GL_TRIANGLE_FAN", "GL_LINES_ADJACENCY", "GL_LINE_STRIP_ADJACENCY", "GL_TRIANGLES_ADJACENCY",
        "GL_TRIANGLE_STRIP_ADJACENCY", "GL_PATCHES", "GL_POINT", "GL_LINE", "GL_FILL"]),
    ("Buffer targets", [
        "GL_ARRAY_BUFFER", "GL_ELEMENT_ARRAY_BUFFER", "GL_UNIFORM_BUFFER", "GL_SHADER_STORAGE_BUFFER",
        "GL_PIXEL_PACK_BUFFER", "GL_PIXEL_UNPACK_BUFFER", "GL_COPY_READ_BUFFER", "GL_COPY_WRITE_BUFFER",
        "GL_TRANSFORM_FEEDBACK_BUFFER", "GL_DRAW_INDIRECT_BUFFER", "GL_DISPATCH_INDIRECT_BUFFER",
        "GL_ATOMIC_COUNTER_BUFFER", "GL_QUERY_BUFFER"]),
    ("Buffer usages", [
        "GL_STREAM_DRAW", "GL_STREAM_READ", "GL_STREAM_COPY", "GL_STATIC_DRAW", "GL_STATIC_READ",
        "GL_STATIC_COPY", "GL_DYNAMIC_DRAW", "GL_DYNAMIC_READ", "GL_DYNAMIC_COPY"]),
    ("Blend equations", [
        "GL_FUNC_ADD", "GL_FUNC_SUBTRACT", "GL_FUNC_REVERSE_SUBTRACT", "GL_MIN", "GL_MAX"]),
    ("Blend factors", [
        "GL_ZERO", "GL_ONE", "GL_SRC_COLOR", "GL_ONE_MINUS_SRC_COLOR", "GL_DST_COLOR", "GL_ONE_MINUS_DST_COLOR",
        "GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA", "GL_DST_ALPHA", "GL_ONE_MINUS_DST_ALPHA", "GL_CONSTANT_COLOR",
        "GL_ONE_MINUS_CONSTANT_COLOR", "GL_CONSTANT_ALPHA", "GL_ONE_MINUS_CONSTANT_ALPHA",
        "GL_SRC_ALPHA_SATURATE", "GL_SRC1_COLOR", "GL_ONE_MINUS_SRC1_COLOR", "GL_SRC1_ALPHA",
        "GL_ONE_MINUS_SRC1_ALPHA"]),
    ("Depth and stencil functions", [
        "GL_NEVER", "GL_LESS", "GL_EQUAL", "GL_LEQUAL", "GL_GREATER", "GL_NOTEQUAL", "GL_GEQUAL", "GL_ALWAYS"]),
    ("Stencil operations", [
        "GL_KEEP", "GL_REPLACE", "GL_INCR", "GL_DECR", "GL_INVERT", "GL_INCR_WRAP", "GL_DECR_WRAP"]),
    ("Cull modes and winding", ["GL_FRONT", "GL_BACK", "GL_FRONT_AND_BACK", "GL_CW", "GL_CCW"]),
    ("Capabilities", [
        "GL_BLEND", "GL_DEPTH_TEST", "GL_CULL_FACE", "GL_STENCIL_TEST", "GL_SCISSOR_TEST", "GL_MULTISAMPLE",
        "GL_FRAMEBUFFER_SRGB", "GL_POLYGON_OFFSET_FILL", "GL_PROGRAM_POINT_SIZE", "GL_DEPTH_CLAMP",
        "GL_TEXTURE_CUBE_MAP_SEAMLESS", "GL_LINE_SMOOTH", "GL_SAMPLE_ALPHA_TO_COVERAGE"]),
    ("Clear masks", ["GL_COLOR_BUFFER_BIT", "GL_DEPTH_BUFFER_BIT", "GL_STENCIL_BUFFER_BIT"]),
    ("Frame-buffer targets", ["GL_FRAMEBUFFER", "GL_READ_FRAMEBUFFER", "GL_DRAW_FRAMEBUFFER", "GL_RENDERBUFFER"]),
    ("Frame-buffer attachments and draw buffers",
     ["GL_COLOR_ATTACHMENT%d" % index for index in range(16)] + [
         "GL_DEPTH_ATTACHMENT", "GL_STENCIL_ATTACHMENT", "GL_DEPTH_STENCIL_ATTACHMENT", "GL_NONE",
         "GL_FRONT_LEFT", "GL_FRONT_RIGHT", "GL_BACK_LEFT", "GL_BACK_RIGHT", "GL_LEFT", "GL_RIGHT"]),
    ("Shader stages", [
        "GL_VERTEX_SHADER", "GL_TESS_CONTROL_SHADER", "GL_TESS_EVALUATION_SHADER", "GL_GEOMETRY_SHADER",
        "GL_FRAGMENT_SHADER", "GL_COMPUTE_SHADER"]),
]

DEFINE = re.compile(r"^\s*#\s*define\s+(GL_[A-Za-z0-9_]+)\s+(0[xX][0-9A-Fa-f]+|\d+)[uU]?[lL]*\s*(?:/[*/].*)?$")
INT32_MAX = 2**31 - 1


def read_definitions(include_dir):
    definitions = {}
    read_any = False
    for header in HEADERS:
        path = include_dir / header
        if not path.is_file():
            continue
        read_any = True
        for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
            match = DEFINE.match(line)
            if match and match.group(1) not in definitions:
                definitions[match.group(1)] = int(match.group(2), 0)
    if not read_any:
        sys.exit("no GL header found under %s (install libglew-dev or mesa-common-dev)" % include_dir)
    return definitions


def render(definitions):
    lines = [
        "<!-- Generated by Tools/gl-constants/generate.py from the GL headers. Do not edit: run the script. -->",
        '<Context name="OpenGL">',
    ]
    seen = set()
    missing = []
    for title, names in GROUPS:
        lines.append("    <!-- %s -->" % title)
        for name in names:
            if name in seen:
                continue
            seen.add(name)
            if name not in definitions:
                missing.append(name)
                continue
            value = definitions[name]
            if value > INT32_MAX:
                sys.exit("%s = %d does not fit a signed 32-bit constant" % (name, value))
            lines.append('    <Constant name="%s" value="%d"/>' % (name, value))
    if missing:
        sys.exit("not defined in the GL headers: " + ", ".join(missing))
    lines.append("</Context>")
    return "\n".join(lines) + "\n"


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--include-dir", type=pathlib.Path, default=pathlib.Path("/usr/include"))
    parser.add_argument("--output", type=pathlib.Path,
                        default=root / "Data" / "Configuration" / "Constants" / "OpenGL.xml")
    arguments = parser.parse_args()
    text = render(read_definitions(arguments.include_dir))
    arguments.output.parent.mkdir(parents=True, exist_ok=True)
    arguments.output.write_text(text, encoding="utf-8")
    print("wrote %s" % arguments.output)


if __name__ == "__main__":
    main()
