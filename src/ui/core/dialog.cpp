#include "ui/core/dialog.h"
