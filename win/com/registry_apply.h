// Applies the registration that the core computes (RegistrationValues, RegistrationKeys) to the registry.
#pragma once

#include <windows.h>

#include <vector>

#include "registration/registration.h"

namespace kestrel {

// Where each root of the registration data goes; tests point both at scratch keys.
struct RegistryRoots {
  HKEY currentUser = HKEY_CURRENT_USER;
  HKEY localMachine = HKEY_LOCAL_MACHINE;
  HKEY Of(RegistryRoot root) const { return root == RegistryRoot::CurrentUser ? currentUser : localMachine; }
};

// Writes every value in order, creating keys as needed (in the registry view each value names).
// Stops at the first failure and returns it as an HRESULT.
HRESULT WriteRegistryValues(const std::vector<RegistryValue>& values, const RegistryRoots& roots = {});

// Deletes each key with all its subkeys and values; a key that is not there counts as deleted.
// Tries every key and returns the first failure.
HRESULT DeleteRegistryKeys(const std::vector<RegistryKey>& keys, const RegistryRoots& roots = {});

// Deletes each named value and nothing else of its key; a value that is not there counts as
// deleted. Tries every value and returns the first failure.
HRESULT DeleteRegistryValues(const std::vector<RegistryValue>& values, const RegistryRoots& roots = {});

}  // namespace kestrel
