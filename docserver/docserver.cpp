#include "docserver/docserver.h"

#include "codeplug/idocumentserver.h"

const CLSID CLSID_DocumentServer = kClsidDocumentServer;
const IID IID_IDocumentServer = kIidDocumentServer;
