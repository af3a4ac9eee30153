#pragma once

#include "ComTypes.h"

#include <string>
#include <vector>

// The text forms of the port settings, as stored and as the setup dialog shows them. A text
// outside a table never fails: it converts to the table's fallback.

std::string BaudRateToText(TBaudRate value);
TBaudRate TextToBaudRate(const std::string& text);
std::string StopBitsToText(TStopBits value);
TStopBits TextToStopBits(const std::string& text);
std::string DataBitsToText(TDataBits value);
TDataBits TextToDataBits(const std::string& text);
std::string ParityToText(TParityBits value);
TParityBits TextToParity(const std::string& text);
std::string FlowControlToText(TFlowControl value);
TFlowControl TextToFlowControl(const std::string& text);
std::string DTRToText(TDTRFlowControl value);
TDTRFlowControl TextToDTR(const std::string& text);
std::string RTSToText(TRTSFlowControl value);
TRTSFlowControl TextToRTS(const std::string& text);
std::string BoolToText(bool value);
bool TextToBool(const std::string& text);
// Codes 33 to 127 stand as themselves; every other code is "#" and the code in decimal.
std::string CharToText(char value);
char TextToChar(const std::string& text);

// Every text of a table, in ordinal order: the items of the setup dialog's lists.
const std::vector<std::string>& BaudRateTexts();
const std::vector<std::string>& StopBitsTexts();
const std::vector<std::string>& DataBitsTexts();
const std::vector<std::string>& ParityTexts();
const std::vector<std::string>& FlowControlTexts();
