// The picture that follows the pointer during a drag out: the items' icons as the copy draws them.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "dragout/drag_out.h"

// Hands the picture to the system's drag helper for the data object. Where the platform has no
// helper (Wine) the drag goes on without a picture.
void AttachDragImage(const DragRequest& request, IDataObject* data);
