// The small scene the reader tests and the fuzz seeds share.
#pragma once

namespace zentu::test {

// A small scene: a material before and one after the mesh that refers to them, a frame with a
// transform, a mesh with a material list, and a frame ending in a reference.
inline const char kSceneText[] =
    "xof 0303txt 0032\n"
    "# a comment\n"
    "// another comment\n"
    "Material Red {\n"
    "  1.0; 0.0; 0.0; 1.0;;\n"
    "  8.0;\n"
    "  1.0; 1.0; 1.0;;\n"
    "  0.0; 0.0; 0.0;;\n"
    "  TextureFilename { \"red.png\"; }\n"
    "}\n"
    "Frame Root {\n"
    "  FrameTransformMatrix {\n"
    "    1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 1.0, 2.0, 3.0, 1.0;;\n"
    "  }\n"
    "  Mesh Quad {\n"
    "    4;\n"
    "    0.0; 0.0; 0.0;, 1.0; 0.0; 0.0;, 1.0; 1.0; 0.0;, 0.0; 1.0; 0.5;;\n"
    "    2;\n"
    "    3; 0, 1, 2;, 4; 0, 2, 3, 1;;\n"
    "    MeshMaterialList { 2; 2; 0, 1;; { Red } { Blue } }\n"
    "  }\n"
    "  { Quad }\n"
    "}\n"
    "Material Blue { 0.0; 0.0; 1.0; 1.0;; 4.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;; }\n";

}  // namespace zentu::test
