// Log entry kinds and separator styles of "gamelog.txt".
#pragma once

enum LogEntryKind {
    LOG_QUERY = 0,
    LOG_STEP = 1,
    LOG_STAGE = 2,
    LOG_HEADING = 3,
    LOG_SUCCESS = 4,
    LOG_WARNING = 5,
    LOG_ERROR = 6,
};

enum LogSeparatorStyle {
    LOGSEP_THIN = 1,
    LOGSEP_DOUBLE = 2,
    LOGSEP_DOTTED = 3,
    LOGSEP_ALARM = 4,
};
