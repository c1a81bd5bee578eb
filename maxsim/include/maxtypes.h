#pragma once
#include "maxwin32.h"
#include "Class_ID.h"
#include "Interface_ID.h"

typedef int TimeValue;
typedef ULONG SClass_ID;
typedef unsigned short MtlID;
typedef ULONG ChannelMask;
typedef ULONG PartID;
typedef unsigned int RefMessage;

#define TIME_TICKSPERSEC 4800
#define TIME_NegInfinity TimeValue(0x80000000)
#define TIME_PosInfinity TimeValue(0x7fffffff)
