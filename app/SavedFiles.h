#pragma once

#include <functional>
#include <string>

// Files the viewer saves when the user asks (s, x and the panel's buttons):
// the folder they go to, their names, and the note the window shows about
// the last one.

// The folder the viewer was started in, before any -C: files are saved
// there, and a relative path typed in the panel is read from there. Until it
// is set, the working directory.
void setStartFolder(const std::string& folder);
// A path the user typed: a relative one taken from the start folder.
std::string fromStartFolder(const std::string& path);

// Saves a new file zemlavor-YYYYMMDD-HHMMSS<extension> (local time) in the
// start folder, or the same with -2, -3, ... before the extension while a
// name is taken (by anything, a broken link too): the name is claimed by
// creating the file empty and exclusively, so nothing there is ever written
// over. `write` then writes it, throwing std::exception on failure. Notes
// "<done> <name>", or "Cannot <failed> to <path>: <reason>" after removing
// the claimed file. Returns the path, or an empty string after a failure.
std::string saveFreshFile(const std::string& extension,
                          const std::function<void(const std::string&)>& write,
                          const std::string& done, const std::string& failed);

// The window's note about the last saved file, shown for 5 s, until a metric
// is built (the window then speaks of it) or until forgotten: a failed
// save's over the picture with the failure lines, another under the status
// line.
struct SaveNote {
    std::string text;
    bool failed;
};
// The note while it is shown; null otherwise.
const SaveNote* recentSaveNote();
void forgetSaveNote();
