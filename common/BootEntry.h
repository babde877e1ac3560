// The boot-sector entry of the installed system in the BCD store (Windows Vista and later):
// registering it all or nothing, and removing it only when it is provably ours.
#pragma once
#include "common/InstallRecord.h"
#include "common/UserTexts.h"

#include <windows.h>
#include <string>

// The object type of the entry: a real-mode boot-sector application.
constexpr DWORD kBootSectorType = 0x10400008;
// The boot-menu text of the installed system, and the boot file the entry loads.
constexpr const wchar_t* kBootEntryPath = kBootSectorOnDevice;

// What a registration or a removal came to, for the user and the log.
struct BcdResult {
    bool done = false;
    std::wstring step;    // the step that failed, for the log
    HRESULT error = S_OK; // its result (S_FALSE: the provider said no)
    std::wstring warning; // what the BCD connection had to tell the user, if anything
    // A failed registration that could not take back all it had made: the entry may be left.
    bool entryLeft = false;
};

// Where a registration records the boot menu's timeout as it was, before it changes it: false
// stops the registration, which then undoes what it made.
class IMenuTimeoutRecorder {
  public:
    virtual bool RecordMenuTimeout(DWORD seconds) = 0;

  protected:
    ~IMenuTimeoutRecorder() = default;
};

// Registers the entry `id` (from MakeBootEntryId, recorded by the caller before, so that a
// removal finds whatever gets created) for the installation on `drive`: creates the entry,
// writes its three elements, reads them back, appends it to the boot menu and sets the menu's
// timeout to 10 seconds (the timeout it had goes to `recorder` first). A Boot Manager without a
// boot menu gets one of its default entry and ours. Any step that fails undoes the ones before
// it: the store is as it was (a missing boot menu comes back as one of the default entry alone,
// which starts the same way).
BcdResult RegisterBootEntry(const std::wstring& id, wchar_t drive, IMenuTimeoutRecorder& recorder);

// Deletes the entry `id` that an installation recorded, and takes it out of the boot menu,
// only after checking that it is ours (a braced GUID naming a boot-sector object with our
// description and boot file). An entry that is already gone counts as removed. `foreign`
// is set when the record names something that is not ours, which is then left alone.
// `timeout`, when given (the "Timeout" the installation recorded), goes back to the boot menu
// through the same connection once the entry is gone, while the menu's timeout is still the 10
// seconds the registration set (any other value is the user's since); `restored` says how.
BcdResult RemoveBootEntry(const std::wstring& id, bool& foreign, const DWORD* timeout = nullptr,
                          BcdResult* restored = nullptr);

// A new entry identifier: "{" + 36 lower-case GUID characters + "}". False when no GUID
// could be made.
bool MakeBootEntryId(std::wstring& id);
