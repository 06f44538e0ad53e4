#include "quillot/pages/SystemImportAction.h"

#include "dbdriver/DbDatabase.h"
#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbAdmin.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/CompanyDatabase.h"
#include "quillot/frame/PartnerNameCache.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/DataFile.h"
#include "quillot/pages/UserCheck.h"
#include "tessel/core/IInputStream.h"
#include "tessel/web/HttpUpload.h"

namespace {
const PageRegistration<SystemImportAction> registration(u"SystemImport");

constexpr int FRESH = 1, IMPORTED = 0, FAILED = 2;
} // namespace

using tessel::HttpUpload;
using tessel::Ref;
using tessel::String;
using tessel::Value;

void SystemImportAction::execute()
{
    runCommand<SystemImportAction>(this,
                                   {{u"", &SystemImportAction::_show}, {u"import", &SystemImportAction::_import}});
}

void SystemImportAction::_show()
{
    getValue()->insert(u"kindof", FRESH);
}

const HttpUpload* SystemImportAction::_upload() const
{
    const tessel::Array<HttpUpload>& uploads = getUploads();
    for (int i = 0; i < uploads.size(); i++) {
        const HttpUpload* upload = uploads[i];
        if (upload && upload->getName() == u"file")
            return upload;
    }
    return nullptr;
}

void SystemImportAction::_import()
{
    const HttpUpload* upload = _upload();
    if (!upload || upload->getFileName().empty()) {
        _fail(u"file");
        return;
    }
    // A failed upload is one the host would not take whole: too large.
    if (upload->isError() || upload->getSize() < 1 || upload->getSize() > DataFile::MAX_BYTES) {
        _fail(u"size");
        return;
    }
    Ref<tessel::IInputStream> stream;
    if (!upload->open(stream.out()) || !stream) {
        _fail(u"file");
        return;
    }
    Ref<DbDatabase> data = DataFile::read(stream);
    stream->close();
    if (!data) {
        _fail(u"format");
        return;
    }
    String error = _load(*data);
    if (!error.empty()) {
        _fail(error);
        return;
    }
    getValue()->insert(u"kindof", IMPORTED);
    getValue()->insert(u"count", data->datasets());
}

String SystemImportAction::_load(DbDatabase& data)
{
    IDbSession* session = db();
    Ref<IDbAdmin> admin;
    if (!session || !session->isOpen() || !session->getAdmin(admin.out()) || !admin)
        return u"failed";
    // Only the application's own tables take rows.
    Ref<DbDatabase> schema = CompanyDatabase::read(getFileSystem(), CompanyDatabase::SCHEMA_FILE);
    for (int i = 0; i < data.datasets(); i++)
        if (!schema || !schema->findTable(data.getDataset(i)->getTable()))
            return u"format";

    DbTransaction transaction(session);
    if (!transaction.isActive())
        return u"failed";
    for (int i = 0; i < data.datasets(); i++)
        if (!admin->loadDataset(data.getDataset(i), true))
            return u"failed";
    SettingsTable settings(*this);
    int version = settings.dataVersion();
    if (version > SettingsTable::DATA_VERSION)
        return u"version";
    if (version < SettingsTable::DATA_VERSION && !settings.upgrade())
        return u"upgrade";
    // The visitor goes on as the same user, who must be in the data.
    Ref<UserState> state = new UserState();
    Ref<Value> tree = UserCheck(session).treeOf(userState().userId(), *state);
    if (!tree)
        return u"user";
    if (!transaction.commit())
        return u"failed";
    // Another visitor may have filled the partner caches from the old
    // rows while the import was still open.
    PartnerNameCache::drop(session, u"_all");
    UserCheck::admit(*this, tree, *state);
    return String();
}

void SystemImportAction::_fail(const String& key)
{
    String text = getMessage(key);
    getValue()->insert(u"kindof", FAILED);
    getValue()->insert(u"error", text.empty() ? getMessage(u"failed") : text);
}
