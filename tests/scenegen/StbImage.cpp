// The decoder the tests read generated pictures with.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
