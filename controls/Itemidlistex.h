#pragma once

#include "platform/shell/ShellTypes.h"

// Arithmetic on item-id lists (see platform/shell/ShellTypes.h for their shape).

// The bytes of the list's items, without the terminator; 0 for an empty list or none at all.
int getItemIDListSize(const ItemIdList* list);
// A new list from the shell allocator: the items of first, then those of second. The inputs are
// left alone; the caller frees the result with freeItemIDList. Raises EOleSysError when there is
// no memory for it.
ItemIdList* concatItemIDList(const ItemIdList* first, const ItemIdList* second);
// Gives a list back to the shell allocator; takes nullptr.
void freeItemIDList(ItemIdList* list);
