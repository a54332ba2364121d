// Stored form descriptions and binary data kept as RCDATA resources of the
// program: a form's description is the resource named after its class in upper
// case ("TFORMMAIN"); binary properties may name further resources ({@NAME}).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Classes.h"

namespace sj {

// Whether the program carries an RCDATA resource of that name.
bool HasDataResource(const std::string& name);
// The bytes of an RCDATA resource; throws when it is missing.
std::vector<std::uint8_t> LoadDataResource(const std::string& name);
// Reads a stored description into a root component (see TFormReader), its
// binary properties taken from the program's resources.
void ReadComponentResource(TComponent& root, const std::string& resourceName);
void ReadComponentText(TComponent& root, std::string_view description);

// Registers the framework's classes and their stored properties with the class
// registry; idempotent. Forms call it before they read their descriptions.
void RegisterFormClasses();

} // namespace sj
