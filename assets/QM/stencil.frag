#version 330 core
// Only the stencil counts change here; no colour buffer is bound.
void main()
{
}
