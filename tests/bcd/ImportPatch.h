// Points one entry of this program's import table elsewhere for the life of the object:
// lets a test make a system call fail (or succeed) in ways wine never does on its own,
// without any hook in the code under test.
#pragma once
#include <windows.h>

class ImportPatch {
  public:
    ImportPatch(const char* dll, const char* function, const void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Applied() const { return slot_ != nullptr; }
    // The function the entry pointed at before.
    template <typename Function> Function Original() const { return reinterpret_cast<Function>(original_); }

  private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
