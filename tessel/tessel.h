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
#include "tessel/core/BigEndian.h"
#include "tessel/core/LittleEndian.h"
#include "tessel/core/IInputStream.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/ISeekable.h"
#include "tessel/core/IFileStream.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/StringStream.h"
#include "tessel/core/FileStream.h"
#include "tessel/core/TextReader.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/StringTokenizer.h"
#include "tessel/core/XmlParser.h"
#include "tessel/core/Date.h"
#include "tessel/core/DateTime.h"
#include "tessel/core/System.h"
#include "tessel/core/Library.h"
#include "tessel/core/Mutex.h"
#include "tessel/core/Calendar.h"

#include "tessel/fs/IFileSystem.h"

#include "tessel/web/HttpFunction.h"
