// The uninstaller's words for what a removal achieved.
#pragma once
#include "common/Removal.h"

#include <string>

constexpr wchar_t kRemovedText[] = L"已成功删除星岚LUM系统";

// For an incomplete removal: what is left, one item a line, for a message box.
std::wstring DescribeIncompleteRemoval(const RemovalOutcome& outcome);
