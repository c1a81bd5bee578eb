#pragma once
#include "ExpInterface.h"
#include "ImpInterface.h"
#include "SceneExport.h"
#include "SceneImport.h"

#define SCENE_EXPORT_SELECTED (1 << 0)
#define IMPEXP_FAIL 0
#define IMPEXP_SUCCESS 1
#define IMPEXP_CANCEL 2
