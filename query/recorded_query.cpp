#include "query/recorded_query.h"

#include "platform/framework/cexception.h"
#include "platform/framework/message_box.h"
#include "query/server_query.h"

QueryOutcome& RunRecordedQuery(CQueryRecorder& recorder) {
  const framework::ScopedMessageBoxHandler messages([&recorder](const framework::MessageBoxRequest& box) {
    recorder.OnMessage(box.text);
    return IDOK;
  });
  CServerQuery query(recorder);
  try {
    query.Run(recorder.outcome().strAddress);
  } catch (CException* e) {
    e->ReportError();
    e->Delete();
  }
  recorder.outcome().detected = query.StatusReplyDecoded() != FALSE;
  return recorder.outcome();
}
