// The settings schema: which control or field each key of the settings file feeds.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "app/Unit1.h"
#include "core/MyIni.h"
#include "widgets/MyCheckListBox.h"
#include "widgets/RxSpinEdit.h"

namespace korvalin {
namespace {

// A graph scale value: Int, 0 when missing or unreadable, widened with its sign.
std::int64_t ReadGraphValue(TTheIniFile& ini, const std::string& name) {
    const std::int32_t value = ini.ReadInteger(name, 0);
    return ini.ErrorCode() == 0 ? static_cast<std::int64_t>(value) : 0;
}

void ReadCheckBox(TTheIniFile& ini, const std::string& name, QCheckBox* box) {
    box->setChecked(ini.ReadBool(name, false));
}

}  // namespace

void TMain::LoadSettings() {
    TTheIniFile& ini = *IniFile_;
    ini.SetSection("Graphs");
    ini.SetOpen(true);
    DoubleByteMeterMaxY = ReadGraphValue(ini, "DoubleByteMeterMaxY");
    RcvByteMeterMaxY = ReadGraphValue(ini, "RcvByteMeterMaxY");
    SendByteMeterMaxY = ReadGraphValue(ini, "SendByteMeterMaxY");

    ini.SetSection("Options");
    FirstStart = false;
    if (ini.ReadBool("New", true)) {
        FirstStart = true;
        ini.WriteBool("New", false);
    }
    ReadCheckBox(ini, "AllInByte", AllInByteChkBox);
    ReadCheckBox(ini, "ShowInTitleBar", ShowInTitleBar);
    ReadCheckBox(ini, "ShowBigWindow", BigWindowChkBox);
    ReadCheckBox(ini, "ShowMiniWindow", MiniChkBox);
    MiniBarWindowVisible = ini.ReadBool("MiniBarWindowVisible", false);

    MonitoredAdapter = ini.ReadString("Monitor", "");
    if (ini.ErrorCode() != 0) {
        // No choice stored yet: the first real adapter, not all of them.
        const std::vector<std::string> adapters = adapterMonitor_->Adapters();
        MonitoredAdapter = adapters.empty() ? std::string() : adapters.front();
    }

    if (ini.ReadBool("MonLAN", true)) {
        RB1->setChecked(true);
    } else {
        RB2->setChecked(true);
    }
    SNMPIPEdit->setText(QString::fromStdString(ini.ReadString("SNMPIP", "192.168.0.1")));
    SNMPCommunityEdit->setText(QString::fromStdString(ini.ReadString("SNMPCommunity", "vindra")));
    SNMPRequest = ini.ReadBool("SNMPRequest", false);
    SNMPMonIntf = ini.ReadString("SNMPMonIntf", "");

    ReadCheckBox(ini, "ExchangeSendAndReceiveRate", ExchangeSendAndReceiveRateChkBox);
    ReadCheckBox(ini, "CorrectUpDownRate", CorrectUpDownRateChkBox);
    CorrectUpEdit->SetValue(ini.ReadInteger("CorrectUpValue", 1));
    CorrectDownEdit->SetValue(ini.ReadInteger("CorrectDownValue", 1));
    SNMPIntervalEdit->SetValue(ini.ReadInteger("SNMPInterval", 5));

    ini.SetSection("Sums");
    sumSend = ini.ReadInteger("sumSend", 0);
    sumReceive = ini.ReadInteger("sumReceive", 0);
}

void TMain::SaveSettings() {
    if (Loading) {
        return;
    }
    TTheIniFile& ini = *IniFile_;
    ini.SetSection("Graphs");
    ini.SetOpen(true);
    // One atomic replacement for the whole schema instead of one per key.
    ini.BeginUpdate();
    ini.WriteInteger("DoubleByteMeterMaxY", static_cast<std::int32_t>(DoubleByteMeterMaxY));
    ini.WriteInteger("RcvByteMeterMaxY", static_cast<std::int32_t>(RcvByteMeterMaxY));
    ini.WriteInteger("SendByteMeterMaxY", static_cast<std::int32_t>(SendByteMeterMaxY));

    ini.SetSection("Options");
    ini.WriteBool("AllInByte", AllInByteChkBox->isChecked());
    ini.WriteBool("ShowInTitleBar", ShowInTitleBar->isChecked());
    ini.WriteBool("ShowBigWindow", BigWindowChkBox->isChecked());
    ini.WriteBool("ShowMiniWindow", MiniChkBox->isChecked());
    ini.WriteBool("MiniBarWindowVisible", MiniBarWindowVisible);
    ini.WriteString("Monitor", LB->CheckedText().toStdString());
    ini.WriteBool("MonLAN", RB1->isChecked());
    ini.WriteString("SNMPIP", SNMPIPEdit->text().toStdString());
    ini.WriteString("SNMPCommunity", SNMPCommunityEdit->text().toStdString());
    ini.WriteBool("SNMPRequest", SNMPRequest);
    // The interface box is filled only once the router was asked; until then it is empty,
    // and writing that would forget the interface the user chose in an earlier run.
    if (!SNMPIntfCB->currentText().isEmpty()) {
        SNMPMonIntf = SNMPIntfCB->currentText().toStdString();
    }
    ini.WriteString("SNMPMonIntf", SNMPMonIntf);
    ini.WriteInteger("SNMPInterval", SNMPIntervalEdit->Value());
    ini.WriteBool("ExchangeSendAndReceiveRate", ExchangeSendAndReceiveRateChkBox->isChecked());
    ini.WriteBool("CorrectUpDownRate", CorrectUpDownRateChkBox->isChecked());
    ini.WriteInteger("CorrectUpValue", CorrectUpEdit->Value());
    ini.WriteInteger("CorrectDownValue", CorrectDownEdit->Value());

    ini.SetSection("Sums");
    ini.WriteInteger("sumSend", sumSend);
    ini.WriteInteger("sumReceive", sumReceive);
    ini.EndUpdate();
    savedSumSend_ = sumSend;
    savedSumReceive_ = sumReceive;
}

void TMain::SaveSums() {
    if (Loading || (sumSend == savedSumSend_ && sumReceive == savedSumReceive_)) {
        return;
    }
    TTheIniFile& ini = *IniFile_;
    ini.SetSection("Sums");
    ini.SetOpen(true);
    ini.WriteInteger("sumSend", sumSend);
    ini.WriteInteger("sumReceive", sumReceive);
    savedSumSend_ = sumSend;
    savedSumReceive_ = sumReceive;
}

}  // namespace korvalin
