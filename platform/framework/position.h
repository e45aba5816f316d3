#pragma once

// Opaque place in one of the framework's lists; null means none.
struct AfxListPosition;
typedef AfxListPosition* POSITION;
