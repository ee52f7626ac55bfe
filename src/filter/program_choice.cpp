// Choosing the program that receives a run's result.
#include <windows.h>
#include <shlwapi.h>

#include "common/tables.h"
#include "common/text.h"
#include "filter/filter.h"

void ChooseProgram(const char* execLabel) {
    if (execLabel != nullptr) {
        for (int i = 0; i < ExecEntryCount; ++i) {
            if (NamesEqual(ExecEntry[i].label, execLabel)) {
                CopyField(SelectedProgram.path, kPathBytes, ExecEntry[i].program);
                CopyField(SelectedProgram.arguments, kPathBytes, ExecEntry[i].arguments);
                break;
            }
        }
    }
    if (!PathFileExistsA(SelectedProgram.path)) {
        CopyField(SelectedProgram.path, kPathBytes, ExecEntryCount > 0 ? ExecEntry[0].program : "");
        CopyField(SelectedProgram.arguments, kPathBytes, ExecEntryCount > 0 ? ExecEntry[0].arguments : "");
    }
    // With no program to start, the list goes to the clipboard and nothing starts after the copy.
    if (!PathFileExistsA(SelectedProgram.path)) {
        CopyToClipboard = 1;
        StartAfterCopy = 0;
    }
}
