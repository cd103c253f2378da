// What the user is told when a *.pro or *.macro file is not imported: that it could not be read,
// that it could not be stored, or which of its values the mouse does not take.
#pragma once

struct ImportResult;
class WindowImplBase;

// Shows the warning for a failed import (nothing for a successful one).
void TellImportFailed(WindowImplBase* owner, const ImportResult& result);
