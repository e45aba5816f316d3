#pragma once
// Resource ids of the program.
#include "query/result_fields.h"

#define IDM_ABOUTBOX 0x0010
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUILLMAR_DIALOG 102
#define IDP_SOCKETS_INIT_FAILED 103
#define IDR_MAINFRAME 128
#define IDR_MENU 129

#define IDC_ADDRESS 1000
#define IDC_PING_SERVER 1001
#define IDC_ADDRESS_LIST 1012
#define IDC_PROGRESS 1017

// The result fields' edit controls, by the field table's numbers.
#define IDC_HOST (ResultFieldOf(QueryField::Host).controlId)
#define IDC_TRACK (ResultFieldOf(QueryField::Track).controlId)
#define IDC_PLAYERS (ResultFieldOf(QueryField::Players).controlId)
#define IDC_TYPE (ResultFieldOf(QueryField::Type).controlId)
#define IDC_SESSION (ResultFieldOf(QueryField::Session).controlId)
#define IDC_TIME_LEFT (ResultFieldOf(QueryField::TimeLeft).controlId)
#define IDC_PING (ResultFieldOf(QueryField::Ping).controlId)

#define ID_ABOUT_ABOUT 32772
