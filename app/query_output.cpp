#include "app/query_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <utility>
#include <vector>

namespace {

QString FromDialogText(const CString& text) { return QString::fromLatin1(static_cast<LPCSTR>(text)); }

bool IsControl(QChar ch) {
  const char16_t code = ch.unicode();
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

QString OnOneLine(QString text) {
  for (QChar& ch : text) {
    if (IsControl(ch)) ch = QLatin1Char('?');
  }
  return text;
}

std::vector<std::pair<const char*, const CString*>> FieldsInOrder(const ServerQueryOutcome& outcome) {
  return {{"ADDRESS", &outcome.strAddress}, {"PING", &outcome.strPing},       {"HOST", &outcome.strHost},
          {"TRACK", &outcome.strTrack},     {"PLAYERS", &outcome.strPlayers}, {"TYPE", &outcome.strType},
          {"SESSION", &outcome.strSession}, {"TIME_LEFT", &outcome.strTimeLeft}};
}

// The PING field holds a decimal number; before the echo has run it is empty.
qint64 PingMilliseconds(const CString& strPing) {
  bool ok = false;
  const qint64 value = FromDialogText(strPing).toLongLong(&ok);
  return ok ? value : 0;
}

}  // namespace

QByteArray QueryResultText(const ServerQueryOutcome& outcome) {
  QString text;
  for (const auto& [name, value] : FieldsInOrder(outcome)) {
    text += QLatin1String(name) + QLatin1Char('\t') + OnOneLine(FromDialogText(*value)) + QLatin1Char('\n');
  }
  return text.toUtf8();
}

QByteArray QueryResultJson(const ServerQueryOutcome& outcome) {
  QJsonArray messages;
  for (const CString& message : outcome.messages) messages.append(FromDialogText(message));
  const QJsonObject result{
      {QStringLiteral("address"), FromDialogText(outcome.strAddress)},
      {QStringLiteral("ping_ms"), PingMilliseconds(outcome.strPing)},
      {QStringLiteral("host"), FromDialogText(outcome.strHost)},
      {QStringLiteral("track"), FromDialogText(outcome.strTrack)},
      {QStringLiteral("players"), FromDialogText(outcome.strPlayers)},
      {QStringLiteral("type"), FromDialogText(outcome.strType)},
      {QStringLiteral("session"), FromDialogText(outcome.strSession)},
      {QStringLiteral("time_left"), FromDialogText(outcome.strTimeLeft)},
      {QStringLiteral("messages"), messages},
      {QStringLiteral("detected"), outcome.detected},
  };
  return QJsonDocument(result).toJson(QJsonDocument::Indented);
}

QByteArray QueryMessageLine(const CString& message) { return OnOneLine(FromDialogText(message)).toUtf8() + '\n'; }
