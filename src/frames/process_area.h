#pragma once
// The processing area's side and the items of the Processarea choice.

namespace kestrave {

// Processing-area side of a Processarea item: 0 → 2048, 1 → 1024, 2 → 512, 3 → 256, 4 → 128;
// 0 for any other item.
int processAreaSizeForItem(int itemIndex);
// The Processarea item of a side, or -1.
int processAreaItemForSize(int size);

}  // namespace kestrave
