#pragma once
#include "stdmat.h"

class StdMat2 : public StdMat
{
};

CoreExport StdMat2* NewDefaultStdMat();
