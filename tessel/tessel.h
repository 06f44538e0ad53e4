#pragma once

// The public interface of the tessel framework: include this one header and
// link libtessel.so.

#include "tessel/core/IObject.h"
#include "tessel/core/Array.h"
#include "tessel/core/String.h"
#include "tessel/core/CodePage.h"
#include "tessel/core/Character.h"
#include "tessel/core/Formatter.h"
#include "tessel/core/Value.h"
#include "tessel/core/AnyValue.h"
#include "tessel/core/PairEntry.h"
#include "tessel/core/XmlParser.h"
#include "tessel/core/Url.h"
#include "tessel/core/Md5.h"
#include "tessel/core/Sha1.h"
#include "tessel/core/Blowfish.h"
#include "tessel/core/Des.h"
#include "tessel/core/Rc4.h"
#include "tessel/core/Rc6.h"
#include "tessel/core/System.h"
#include "tessel/core/Library.h"
#include "tessel/core/Mutex.h"

#include "tessel/web/HttpFunction.h"
