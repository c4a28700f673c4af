#pragma once

#include <QString>

class RunHost;
struct RunState;

// What the preview window needs of the window that owns the run: the shared
// run state, the live settings a run reads, the settings file and a way to
// bring that window forward while its progress bar follows a run.
class PreviewHost {
public:
    virtual ~PreviewHost() = default;
    virtual RunState& State() = 0;
    virtual RunHost& RunSettings() = 0;
    virtual QString SettingsPath() const = 0;
    virtual void ActivateHost() = 0;
    // The settings' AllFormats: whether the list shows every format read.
    virtual bool AllFormats() const { return false; }
};

// What the owner needs of the preview window.
class PreviewWindowLink {
public:
    virtual ~PreviewWindowLink() = default;
    virtual void ShowNormal() = 0;               // show it, not minimised
    virtual QString LoadFolderPath() const = 0;  // its tree's folder, stored at close
};
