#pragma once

// The public interface of the database driver: include this one header and
// link libdbdriver.so.

#include "dbdriver/IDbSession.h"
#include "dbdriver/IDbCursor.h"
#include "dbdriver/IDbCommand.h"
#include "dbdriver/IDbAdmin.h"
#include "dbdriver/DbParams.h"
#include "dbdriver/DbColumn.h"
#include "dbdriver/DbIndex.h"
#include "dbdriver/DbTable.h"
#include "dbdriver/DbRow.h"
#include "dbdriver/DbDataset.h"
#include "dbdriver/DbDatabase.h"
#include "dbdriver/DbTransaction.h"
#include "dbdriver/SqliteSession.h"
