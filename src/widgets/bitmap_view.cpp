#include "widgets/bitmap_view.h"
