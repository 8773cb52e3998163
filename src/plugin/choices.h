// The panel's choices by name: the folder choice that the pop-up's first items and the radio form's rows
// share, and the retention mode the device knows for each row of suspendMatrix. The writer, the reader
// and the actions read them from here.
#pragma once

#include <algorithm>
#include <array>
#include <optional>

#include "plugin/panel.h"

enum class FolderChoice : long { quickFile = 0, mainFolder = 1, customFolder = 2 };

// The pop-up's item, or the radio form's row, of a folder choice; every pop-up item from customFolder on
// is a custom folder of the device's list.
constexpr long indexOf(FolderChoice choice) { return static_cast<long>(choice); }

// The folder chosen in the panel: the radio form's row when the form is present, else the pop-up's item;
// none when neither form shows a choice.
inline std::optional<FolderChoice> folderChoice(const OndrixPrintPdeTarvel& p) {
  long index = -1;
  if (p.folderSelectionPopup.present())
    index = std::min(p.folderSelectionPopup->indexOfSelectedItem(), indexOf(FolderChoice::customFolder));
  if (p.folderSelectionMatrix.present()) index = p.folderSelectionMatrix->selectedRow();
  if (index < indexOf(FolderChoice::quickFile) || index > indexOf(FolderChoice::customFolder)) return std::nullopt;
  return static_cast<FolderChoice>(index);
}

// The value of "jobSuspend" for each row of suspendMatrix; "0" stands for retention off. The device's
// modes are not the rows' order.
inline constexpr std::array<char, 3> kRetentionModes{'2', '1', '3'};

// The row of suspendMatrix for a stored retention mode; none for "0" or anything unknown.
inline std::optional<long> retentionRow(char mode) {
  const auto found = std::find(kRetentionModes.begin(), kRetentionModes.end(), mode);
  if (found == kRetentionModes.end()) return std::nullopt;
  return static_cast<long>(found - kRetentionModes.begin());
}
