# Every third-party library comes from the system's packages (see scripts/install-dependencies).
find_package(SDL2 REQUIRED CONFIG)
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
find_package(GLEW REQUIRED)
find_package(glm REQUIRED CONFIG)
find_package(tinyxml2 REQUIRED CONFIG)
find_package(OpenAL REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(Threads REQUIRED)
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(UUID REQUIRED IMPORTED_TARGET uuid)
# ALSA only to route its error messages; OpenAL Soft opens it for the sound output.
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
find_path(LODEPNG_INCLUDE_DIR lodepng.h REQUIRED)
find_library(LODEPNG_LIBRARY NAMES lodepng REQUIRED)

add_library(lodepng::lodepng UNKNOWN IMPORTED)
set_target_properties(lodepng::lodepng PROPERTIES
    IMPORTED_LOCATION ${LODEPNG_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${LODEPNG_INCLUDE_DIR})

# GCC's libbacktrace lives in GCC's private folders. Its one header is copied into the build tree, so
# that clang builds (the fuzz targets) find it without seeing GCC's other private headers.
execute_process(COMMAND gcc -print-file-name=libbacktrace.a OUTPUT_VARIABLE BACKTRACE_LIBRARY
    OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(BACKTRACE_FOLDER ${BACKTRACE_LIBRARY} DIRECTORY)
if(NOT EXISTS ${BACKTRACE_FOLDER}/include/backtrace.h)
    message(FATAL_ERROR "GCC's libbacktrace was not found (looked in ${BACKTRACE_FOLDER})")
endif()
file(COPY ${BACKTRACE_FOLDER}/include/backtrace.h DESTINATION ${CMAKE_BINARY_DIR}/backtrace/include)
add_library(backtrace::backtrace STATIC IMPORTED)
set_target_properties(backtrace::backtrace PROPERTIES
    IMPORTED_LOCATION ${BACKTRACE_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/backtrace/include)

add_library(morvane_dependencies INTERFACE)
target_link_libraries(morvane_dependencies INTERFACE
    SDL2::SDL2 OpenGL::GL OpenGL::EGL GLEW::GLEW glm::glm tinyxml2::tinyxml2 OpenAL::OpenAL
    OpenSSL::Crypto PkgConfig::SNDFILE PkgConfig::UUID PkgConfig::ALSA lodepng::lodepng backtrace::backtrace
    Threads::Threads X11::X11)
