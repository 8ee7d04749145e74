// What the library does when the process lets go of it.
#pragma once

namespace vok::api {

// FreeLibrary: the engine is shut down and the state freed.
void ReleaseLibrary();
// Process exit: other threads are gone and locks may be held by them; only
// the shared instance count is given back.
void AbandonLibraryAtProcessExit();

}  // namespace vok::api
