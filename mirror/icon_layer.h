// The copy's icons and labels drawn once per build into a layer of their own, and what a show and
// a paint make of it. The list view stays the real control underneath: the layer only saves it
// drawing every item again at every show.
//
// The layer is the list view's own drawing of its items, once over black and once over white.
// Over black a pixel shows the colour the items give it; the difference to white is how much of
// any background shows through it, per channel. So over any background b a pixel becomes
//     over_black + through * b / 255,
// which is exact wherever the list view's drawing is a blend with what lies below (icons with
// alpha, smoothed text). A show composes the new snapshot, its shade and the layer in one pass
// into MirrorPicture; a paint copies MirrorPicture and has the list view draw again only the items
// that do not look as they did in the layer (selected, focused, hot).
#pragma once

#include <windows.h>

#include <vector>

// Pixels of the layer that are not clear, row by row, left to right: `length` pixels from (x, y),
// their values at `first` in the pixel arrays.
struct LayerRun {
  LONG y;
  LONG x;
  LONG length;
  size_t first;
};

struct IconLayerState {
  std::vector<LayerRun> runs;
  std::vector<DWORD> overBlack;  // the pixel drawn over black
  std::vector<DWORD> through;    // per channel: the pixel over white less the pixel over black
  bool drawn;
  // The list view printed more than its items (a background): no layer for this build.
  bool refused;
};

extern IconLayerState IconLayer;

// Draws the layer from MirrorListView unless it is drawn already. It is drawn only while no item is
// selected, focused or hot and the list view has not the focus, so that it holds every item as an
// untouched one looks; false when it is not drawn. A print that is not clear outside every item's
// rectangle (a list view that paints a background while printing) is refused for the rest of the
// build, with a trace line: the list view then paints itself, as it did before the layer existed.
bool DrawIconLayer();
void FreeIconLayer();

// After each screen copy: darkens DesktopSnapshot in place when AlphaBlendProc exists (about half
// brightness) and, when the layer can be had, composes MirrorPicture from the snapshot and the layer,
// in one pass over the pixels. Until the next build or show, paints then come from MirrorPicture.
void ComposeMirrorPicture();
// True while MirrorPicture shows the present snapshot with the layer (since a successful
// ComposeMirrorPicture, until the layer or the picture is released).
bool MirrorPictureIsCurrent();
void MarkMirrorPictureCurrent();
// Forgets that MirrorPicture is current: paints go back to the list view's own drawing.
void ForgetMirrorPicture();

// Whether MirrorListView's paints come from MirrorPicture now: while the picture is current and
// the list view does not track the mouse (its drag rectangle is its own to draw). Otherwise the
// list view paints itself over the snapshot, as it always did.
bool MirrorPicturePaints(HWND listView);
// MirrorListView's WM_PAINT from MirrorPicture: copies it over the area to paint, then lets the
// list view draw again, over the darkened snapshot, the items that differ from the layer. False,
// with nothing painted, when MirrorPicturePaints is false.
bool PaintFromMirrorPicture(HWND listView);
