#pragma once

// The one header through which the engine reaches OpenGL: GLEW must come before any other GL header,
// and it declares every entry point the graphics code uses.
#include <GL/glew.h>
