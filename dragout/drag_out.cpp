// The drag out itself: the shell's data object for the items, the drop source and DoDragDrop.
#include "dragout/drag_out.h"

#include <shlobj.h>

#include "dragout/com_ref.h"
#include "dragout/drag_image.h"
#include "dragout/drop_source.h"
#include "dragout/shell_items.h"

// As in Explorer: the target, with the user's Ctrl, Shift and Alt, chooses among these.
constexpr DWORD ALLOWED_EFFECTS = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

static DragOutcome OutcomeOf(FindResult found) {
  return found == FindResult::NotUnique ? DragOutcome::NotUnique : DragOutcome::NotFound;
}

DragOutcome DragOutItems(const DragRequest& request) {
  if (request.count == 0) return DragOutcome::NotFound;
  ComRef<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Out()))) return DragOutcome::Failed;
  ChildIds ids;
  FindResult found = FindDesktopItems(desktop.Get(), request, &ids);
  if (found != FindResult::Found) return OutcomeOf(found);
  ComRef<IDataObject> data;
  if (FAILED(desktop->GetUIObjectOf(nullptr, ids.Count(), ids.Array(), IID_IDataObject, nullptr,
                                    data.OutVoid())))
    return DragOutcome::Failed;
  AttachDragImage(request, data.Get());
  DropSource source(request.button);
  if (request.started != nullptr) request.started();
  // A move is carried out by the target (an optimised move) or not at all: the effect is not acted on.
  DWORD effect = DROPEFFECT_NONE;
  HRESULT result = DoDragDrop(data.Get(), &source, ALLOWED_EFFECTS, &effect);
  if (result == DRAGDROP_S_DROP) return DragOutcome::Dropped;
  return result == DRAGDROP_S_CANCEL ? DragOutcome::Cancelled : DragOutcome::Failed;
}
