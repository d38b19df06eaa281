// Which part of the system a shared object (or this executable) belongs to.
#pragma once

#include <string>

enum class ObjectKind { Ours, Gl, Media, System };

// `ourObject` is this executable's path; "???" is code with no object (the
// GL driver's compiled shaders).
ObjectKind KindOfObject(const std::string& object, const std::string& ourObject);
