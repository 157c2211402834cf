<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>qx::CPrintListTrend</name>
    <message>
        <source>检测统计报告</source>
        <translation>Measurement Statistics Report</translation>
    </message>
    <message>
        <source>检测数据记录表</source>
        <translation>Measurement Data Report</translation>
    </message>
    <message>
        <source>检测曲线图</source>
        <translation>Measurement Trend Chart</translation>
    </message>
    <message>
        <source>第 %1 页共 %2 页</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>记录间隔:%1秒  记录数:%2</source>
        <translation>Recording interval: %1 s  Selected samples: %2</translation>
    </message>
    <message>
        <source>  开始时间:%1  结束时间:%2</source>
        <translation>  Start: %1  End: %2</translation>
    </message>
    <message>
        <source>  活化能ΔH:%1 kJ/mol</source>
        <translation>  Activation energy ΔH: %1 kJ/mol</translation>
    </message>
</context>
<context>
    <name>qx::CSelPrintDlg</name>
    <message>
        <source>选择打印项</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>选择打印预览项(曲线或记录)</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>曲线图(&amp;T)</source>
        <translation>&amp;Trend chart</translation>
    </message>
    <message>
        <source>数据报表(&amp;R)</source>
        <translation>Data &amp;report</translation>
    </message>
    <message>
        <source>统计报告(&amp;S)</source>
        <translation>&amp;Statistics report</translation>
    </message>
</context>
<context>
    <name>qx::PrintCommand</name>
    <message>
        <source>文件:%1
打印失败!</source>
        <translation>File: %1
Printing failed.</translation>
    </message>
    <message>
        <source>打印失败!</source>
        <translation>Printing failed.</translation>
    </message>
    <message>
        <source>打印时间:%1  数据文件:%2.%3</source>
        <translation>Printed: %1  Data file: %2.%3</translation>
    </message>
    <message>
        <source>打印时间:%1  仪器:%2</source>
        <translation>Printed: %1  Instrument: %2</translation>
    </message>
</context>
<context>
    <name>qx::StatisticsTables</name>
    <message>
        <source>统计值</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>限值</source>
        <translation>Limits</translation>
    </message>
    <message>
        <source>最长超限</source>
        <translation>Longest excursion</translation>
    </message>
    <message>
        <source>超限记录</source>
        <translation>Excursions</translation>
    </message>
    <message>
        <source>%1 (%2秒)</source>
        <translation>%1 (%2 s)</translation>
    </message>
    <message>
        <source>用户</source>
        <translation>User</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>注:等于限值的数值在限值之内;数值与记录的限值按列表显示的位数比较,摄氏与华氏记录的超限相同。</source>
        <translation>Note: a value equal to a limit is inside it; values and the record&apos;s limits are compared as the list shows them, so a record has the same excursions in °C and in °F.</translation>
    </message>
    <message>
        <source>超限时间 = 样本数 × 记录间隔:一个样本的超限为一个间隔,间隔 300 秒时显示为 16:20–16:25 的超限为 600 秒;缺失的数值结束超限,不计时间。</source>
        <translation>The time of an excursion is its samples × the recording interval: one sample lasts one interval, and at 300 s an excursion shown 16:20–16:25 lasts 600 s; a missing value ends an excursion and adds no time.</translation>
    </message>
    <message>
        <source>平均动力学温度只对测得的温度计算,不对露点计算。</source>
        <translation>The mean kinetic temperature is given for the measured temperature only, not for the dew point.</translation>
    </message>
    <message>
        <source>%1 (%2秒, %3)</source>
        <translation>%1 (%2 s, %3)</translation>
    </message>
    <message>
        <source>%1秒 (%2)</source>
        <translation>%1 s (%2)</translation>
    </message>
</context>
</TS>
