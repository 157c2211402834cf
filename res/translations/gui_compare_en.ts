<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>qx::CCompareView</name>
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
        <source>对比</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>导出...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>打印...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>量:</source>
        <translation>Quantity:</translation>
    </message>
    <message>
        <source>下限:</source>
        <translation>Low limit:</translation>
    </message>
    <message>
        <source>上限:</source>
        <translation>High limit:</translation>
    </message>
    <message>
        <source>限值必须是数字:%1</source>
        <translation>A limit must be a number: %1</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>打印时间:%1</source>
        <translation>Printed: %1</translation>
    </message>
    <message>
        <source>量:%1  仪器数:%2  查询条件:%3</source>
        <translation>Quantity: %1  Instruments: %2  Query: %3</translation>
    </message>
    <message>
        <source>不填:各仪器记录的限值</source>
        <translation>Empty: each instrument&apos;s recorded limits</translation>
    </message>
    <message>
        <source>最多可以同时对比 %1 台仪器。</source>
        <translation>At most %1 instruments can be compared at once.</translation>
    </message>
    <message>
        <source>对比的时间点太多(%1 个,最多 %2 个),请缩小时间范围。</source>
        <translation>Too many times to compare (%1, at most %2); choose a shorter time range.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>对比 %1</source>
        <translation>Comparison %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 等 %n 台</source>
        <translation>
            <numerusform>%1 and others, %n instrument</numerusform>
            <numerusform>%1 and others, %n instruments</numerusform>
        </translation>
    </message>
    <message>
        <source>%1对比_%2</source>
        <translation>%1 comparison_%2</translation>
    </message>
</context>
</TS>
