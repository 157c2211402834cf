<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>qx::CDataView</name>
    <message>
        <source>Excel 文件(*.xlsx)</source>
        <translation>Excel Files (*.xlsx)</translation>
    </message>
    <message>
        <source>文本文件(*.txt)</source>
        <translation>Text Files (*.txt)</translation>
    </message>
    <message>
        <source>CSV 文件(*.csv)</source>
        <translation>CSV Files (*.csv)</translation>
    </message>
    <message>
        <source>表图排列</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>横排</source>
        <translation>Side by side</translation>
    </message>
    <message>
        <source>纵排</source>
        <translation>Stacked</translation>
    </message>
    <message>
        <source>显示列表</source>
        <translation>Show lists</translation>
    </message>
    <message>
        <source>显示曲线</source>
        <translation>Show chart</translation>
    </message>
    <message>
        <source>曲线图显示</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>X轴:</source>
        <translation>X axis:</translation>
    </message>
    <message>
        <source>Y轴:</source>
        <translation>Y axis:</translation>
    </message>
    <message>
        <source>节点标记</source>
        <translation>Mark points</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
</context>
<context>
    <name>qx::QueryPanel</name>
    <message>
        <source>查询时间范围</source>
        <translation>Time range</translation>
    </message>
    <message>
        <source>所有</source>
        <translation>All</translation>
    </message>
    <message>
        <source>前</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message numerus="yes">
        <source>天</source>
        <translation>
            <numerusform>day</numerusform>
            <numerusform>days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>个月</source>
        <translation>
            <numerusform>month</numerusform>
            <numerusform>months</numerusform>
        </translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
</context>
<context>
    <name>qx::StatisticsPanel</name>
    <message>
        <source>活化能ΔH(kJ/mol):</source>
        <translation>Activation energy ΔH (kJ/mol):</translation>
    </message>
    <message>
        <source>统计</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>超限记录(双击定位)</source>
        <translation>Excursions (double-click to locate)</translation>
    </message>
    <message>
        <source>活化能“%1”不是数字</source>
        <translation>Activation energy &quot;%1&quot; is not a number</translation>
    </message>
    <message>
        <source>活化能须在 %1 到 %2 kJ/mol 之间</source>
        <translation>Activation energy must be between %1 and %2 kJ/mol</translation>
    </message>
    <message>
        <source>%1的下限“%2”不是数字</source>
        <translation>Low limit of %1 &quot;%2&quot; is not a number</translation>
    </message>
    <message>
        <source>%1的上限“%2”不是数字</source>
        <translation>High limit of %1 &quot;%2&quot; is not a number</translation>
    </message>
</context>
</TS>
