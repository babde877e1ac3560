// The copy plan of an installation: where the package's files come from, the sizes that
// decide how a file is copied, and the progress arithmetic.
#pragma once
#include "common/WindowsKind.h"

#include <array>
#include <string>

// Files of this size or more are streamed through the job's buffer; smaller ones go through
// the system copy routine in one call.
constexpr unsigned long long kLargeFileBytes = 20971520; // 20 MiB
// One read and one write of a large file; also the size of the job's only buffer.
constexpr unsigned long kChunkBytes = 1048576; // 1 MiB
// Pause requests are looked at after this many chunks of a large file.
constexpr int kChunksPerRequestCheck = 20;

// The three copy sources in copy order: the boot folder of the Windows kind ("bcd" for Bcd,
// "ini" otherwise), then "common", then "disks", all below packageDir\copyfiles. A later
// source overwrites a file of the same name from an earlier one.
std::array<std::wstring, 3> CopySourceFolders(const std::wstring& packageDir, WindowsKind kind);

// The percentage shown for `copied` of `total` bytes: truncated, 0 when there is nothing to
// copy, 100 only once the job has completed (so that a job whose last files are empty or
// still pending never looks finished), and never more than 100.
int ProgressPercent(long long copied, long long total, bool completed);
