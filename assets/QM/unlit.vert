#include "pbr.vert"
