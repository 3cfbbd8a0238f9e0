// The parts of the machine the Windows tests change (registry keys the
// launcher reads, and files placed outside the tests' own folders), saved
// before the first change and put back afterwards, so that the suites can
// run on a real Windows PC and leave it as it was.
//
// What is saved goes to disk first (a journal under %ProgramData%\Plinor
// tests), then the change is made. A run that was killed leaves its journal;
// the next run puts it back before it does anything else. No key is deleted
// without a saved copy. Without GoogleTest, so that the kit's runner uses it
// too.
#pragma once

#include <string>

namespace plinor::testing {

// Puts back what a run that was killed left saved, and forgets it. True when
// nothing was left or all of it was put back.
bool PutBackWhatAKilledRunSaved();

// Saves every registry key any test changes: the installation key, the Java
// key, the browser command (through HKEY_CLASSES_ROOT, as the tests write
// it) and Internet Explorer's App Paths key, each as a whole tree, or its
// absence, in the view of this process.
// Keys already saved and not yet put back are left alone.
void SaveMachineKeys();

// Saves a file that is about to be created or replaced outside the tests' own
// folders (its bytes, or its absence) and each missing folder on its path.
void SaveFileAndFolders(const std::string& path);

// Puts back everything saved, in the reverse order, and forgets it.
void PutMachineBack();

}  // namespace plinor::testing
