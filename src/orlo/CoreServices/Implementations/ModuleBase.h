#pragma once

// The start of the loaded module (program or shared library) that holds an
// address: on Windows the allocation base of its page, which is the module's
// instance handle.
//
//   void* instance = orlo::FindModuleBase(reinterpret_cast<const void*>(&SomeFunctionOfThisModule));

namespace orlo {

// None when the address belongs to no loaded module.
void* FindModuleBase(const void* address);

} // namespace orlo
